// Encoding of 24-bit BMP files and their safe replacement on disk.

#include "analysis/BmpWriter.h"

#include "analysis/BmpFormat.h"
#include "app/AtomicFile.h"
#include "app/BufferedWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
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

// Header and rows bottom-up in gathering writes straight from the image, so saving a scan
// needs no second full-size copy of it in memory, no copy into a buffer and few write calls.
template <typename Sink>
bool WriteRows(Sink& out, const std::vector<std::uint8_t>& header, const ScanBitmap& image, std::uint64_t stride) {
    static const std::uint8_t zeros[4] = {};
    const std::size_t padding = static_cast<std::size_t>(stride) - image.Stride();  // 0..3
    std::vector<struct iovec> pieces;
    try {
        pieces.reserve(1 + 2 * static_cast<std::size_t>(image.Height()));
    } catch (const std::bad_alloc&) {
        return false;
    }
    // writev only reads through the pointers; its type has no const.
    pieces.push_back({const_cast<std::uint8_t*>(header.data()), header.size()});
    for (int y = image.Height() - 1; y >= 0; --y) {
        pieces.push_back({const_cast<std::uint8_t*>(image.Row(y)), image.Stride()});
        if (padding > 0) pieces.push_back({const_cast<std::uint8_t*>(zeros), padding});
    }
    return out.WriteGather(pieces);
}

// The in-place overwrite is only taken for a file that is this path's own: an existing
// regular file with no other name. A symbolic link, a second hard link, a FIFO or a device is
// not written through; it is replaced like any other target. -1 means "replace instead".
int OpenOwnRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return -1;
    struct stat info {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1 || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool ReplaceFile(const ScanBitmap& image, const std::string& path, const std::vector<std::uint8_t>& header,
                 std::uint64_t stride, std::string& error) {
    AtomicFileWriter file(path);
    WriteRows(file, header, image, stride);
    // No fsync: the rename already keeps readers from ever seeing half a file, and scans are
    // written on the operator's path, where a flush to disk would cost a noticeable pause.
    return file.Commit(&error);
}

bool OverwriteFile(const ScanBitmap& image, const std::string& path, const std::vector<std::uint8_t>& header,
                   std::uint64_t stride, std::string& error) {
    const int fd = OpenOwnRegularFile(path);
    if (fd < 0) return ReplaceFile(image, path, header, stride, error);
    const std::uint64_t size = header.size() + stride * static_cast<std::uint64_t>(image.Height());
    BufferedFdWriter out(fd);
    bool ok = WriteRows(out, header, image, stride) && out.Flush();
    int code = out.Error();
    if (ok && ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        ok = false;
        code = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (!ok) {
        // The old content is already overwritten in part: a half image must not stay behind
        // looking like a result.
        ::unlink(path.c_str());
        error = "cannot write '" + path + "': " + std::strerror(code);
    }
    return ok;
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
    return ReplaceFile(image, path, header, stride, error);
}

}  // namespace calvix
