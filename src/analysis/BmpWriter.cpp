// Encoding of 24-bit BMP files and their safe replacement on disk.

#include "analysis/BmpWriter.h"

#include "analysis/BmpFormat.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <unistd.h>

namespace calvix {
namespace {

void PutLE(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// 2835 pixels per metre is 72 dpi, what most writers put when the resolution is unknown.
constexpr std::uint32_t DefaultPelsPerMeter = 2835;

// File and info header of the 24-bit file for image; empty when the image is empty or the
// file would not fit the format's 32-bit size fields.
std::vector<std::uint8_t> HeaderBytes(const ScanBitmap& image, std::uint64_t& stride) {
    if (image.Empty()) return {};
    stride = (static_cast<std::uint64_t>(image.Width()) * 3 + 3) / 4 * 4;
    const std::uint64_t pixelBytes = stride * static_cast<std::uint64_t>(image.Height());
    const std::uint64_t offBits = BmpFileHeaderSize + BmpInfoHeaderSize;
    if (offBits + pixelBytes > 0xFFFFFFFFull) return {};
    std::vector<std::uint8_t> out(offBits, 0);
    PutLE(out, 0, BmpSignature, 2);
    PutLE(out, 2, static_cast<std::uint32_t>(offBits + pixelBytes), 4);
    PutLE(out, 10, static_cast<std::uint32_t>(offBits), 4);
    PutLE(out, 14, BmpInfoHeaderSize, 4);
    PutLE(out, 18, static_cast<std::uint32_t>(image.Width()), 4);
    PutLE(out, 22, static_cast<std::uint32_t>(image.Height()), 4);
    PutLE(out, 26, 1, 2);
    PutLE(out, 28, 24, 2);
    PutLE(out, 30, BiRgb, 4);
    PutLE(out, 34, static_cast<std::uint32_t>(pixelBytes), 4);
    PutLE(out, 38, DefaultPelsPerMeter, 4);
    PutLE(out, 42, DefaultPelsPerMeter, 4);
    return out;
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp(const ScanBitmap& image) {
    std::uint64_t stride = 0;
    std::vector<std::uint8_t> out = HeaderBytes(image, stride);
    if (out.empty()) return {};
    const std::size_t offBits = out.size();
    try {
        out.resize(offBits + stride * static_cast<std::uint64_t>(image.Height()), 0);
    } catch (const std::bad_alloc&) {
        return {};
    }
    for (int y = 0; y < image.Height(); ++y) {
        const std::uint64_t fileRow = static_cast<std::uint64_t>(image.Height() - 1 - y);
        std::memcpy(out.data() + offBits + fileRow * stride, image.Row(y), image.Stride());
    }
    return out;
}

namespace {

// Writes header and rows bottom-up to an open stream, row by row, so saving a scan needs no
// second full-size copy of it in memory.
bool WriteRows(std::FILE* file, const std::vector<std::uint8_t>& header, const ScanBitmap& image,
               std::uint64_t stride) {
    bool written = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    std::vector<std::uint8_t> row(stride, 0);
    for (int y = image.Height() - 1; written && y >= 0; --y) {
        std::memcpy(row.data(), image.Row(y), image.Stride());
        written = std::fwrite(row.data(), 1, row.size(), file) == row.size();
    }
    return written && std::fflush(file) == 0;
}

bool OverwriteFile(const ScanBitmap& image, const std::string& path, const std::vector<std::uint8_t>& header,
                   std::uint64_t stride, std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    std::FILE* file = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (file == nullptr) {
        if (fd >= 0) ::close(fd);
        error = "cannot open '" + path + "': " + std::strerror(errno);
        return false;
    }
    const std::uint64_t size = header.size() + stride * static_cast<std::uint64_t>(image.Height());
    bool ok = WriteRows(file, header, image, stride);
    ok = ok && ::ftruncate(::fileno(file), static_cast<off_t>(size)) == 0;
    const bool closed = std::fclose(file) == 0;
    if (!ok || !closed) {
        error = "cannot write '" + path + "': " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

bool SaveBmpFile(const ScanBitmap& image, const std::string& path, std::string& error, BmpSaveMode mode) {
    std::uint64_t stride = 0;
    const std::vector<std::uint8_t> header = HeaderBytes(image, stride);
    if (header.empty()) {
        error = "cannot encode an empty or oversized image as BMP";
        return false;
    }
    if (mode == BmpSaveMode::OverwriteInPlace) return OverwriteFile(image, path, header, stride, error);
    const std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot create '" + temporary + "': " + std::strerror(errno);
        return false;
    }
    const bool written = WriteRows(file, header, image, stride);
    // No fsync: the rename already keeps readers from ever seeing half a file, and scans are
    // written on the operator's path, where a flush to disk would cost a noticeable pause.
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        error = "cannot write '" + temporary + "': " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot replace '" + path + "': " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace calvix
