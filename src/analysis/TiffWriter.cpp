// Baseline RGB TIFF encoding through libtiff, into a temporary file beside the target that is
// renamed over it once complete.
#include "analysis/TiffWriter.h"

#include "app/RegularFile.h"

#include <tiffio.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace calvix {
namespace {

// Strips of about 64 KiB: small enough for any reader's buffers, large enough that the strip
// tables of a full page stay short and LZW has room to find repeats.
constexpr std::size_t StripBytes = 64 * 1024;

// The first message libtiff reports for this file; returning 1 keeps it from the process-wide
// handlers, which would print it on standard error.
int KeepMessage(TIFF*, void* userData, const char* module, const char* format, va_list args) {
    auto* text = static_cast<std::string*>(userData);
    if (!text->empty()) return 1;
    char buffer[512];
    std::vsnprintf(buffer, sizeof buffer, format, args);
    *text = (module != nullptr && *module != '\0') ? std::string(module) + ": " + buffer : std::string(buffer);
    return 1;
}

int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

bool SetTags(TIFF* tif, const ScanBitmap& image, const TiffOptions& options) {
    const auto rows = static_cast<std::uint32_t>(std::max<std::size_t>(1, StripBytes / image.Stride()));
    const auto ppi = static_cast<float>(options.ppi);
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(image.Width())) &&
              TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(image.Height())) &&
              TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) && TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3) &&
              TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
              TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows) && TIFFSetField(tif, TIFFTAG_XRESOLUTION, ppi) &&
              TIFFSetField(tif, TIFFTAG_YRESOLUTION, ppi) && TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    if (options.compression == TiffCompression::Lzw)
        ok = ok && TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW) &&
             TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    else
        ok = ok && TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    if (ok && !options.iccProfile.empty())
        ok = TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<std::uint32_t>(options.iccProfile.size()),
                          options.iccProfile.data());
    return ok;
}

// Rows in red, green, blue order, one at a time, so no second copy of the scan is made. libtiff
// gets its own descriptor of the file and closes that; fd stays the caller's.
bool EncodeInto(int fd, const std::string& name, const ScanBitmap& image, const TiffOptions& options,
                std::string& reason) {
    const int tiffFd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (tiffFd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    TIFFOpenOptions* open = TIFFOpenOptionsAlloc();
    if (open == nullptr) {
        ::close(tiffFd);
        reason = "out of memory";
        return false;
    }
    TIFFOpenOptionsSetErrorHandlerExtR(open, KeepMessage, &reason);
    TIFFOpenOptionsSetWarningHandlerExtR(open, IgnoreWarning, nullptr);
    TIFF* tif = TIFFFdOpenExt(tiffFd, name.c_str(), "w", open);
    TIFFOpenOptionsFree(open);
    if (tif == nullptr) {
        ::close(tiffFd);
        if (reason.empty()) reason = "libtiff cannot start the file";
        return false;
    }
    bool ok = SetTags(tif, image, options);
    std::vector<std::uint8_t> row(image.Stride());
    for (int y = 0; ok && y < image.Height(); ++y) {
        const std::uint8_t* bgr = image.Row(y);
        for (std::size_t i = 0; i < row.size(); i += 3) {
            row[i] = bgr[i + 2];
            row[i + 1] = bgr[i + 1];
            row[i + 2] = bgr[i];
        }
        ok = TIFFWriteScanline(tif, row.data(), static_cast<std::uint32_t>(y), 0) == 1;
    }
    // The directory is written here rather than by TIFFClose, which cannot report a failure.
    ok = ok && TIFFWriteDirectory(tif) == 1;
    TIFFClose(tif);
    if (!ok && reason.empty()) reason = "libtiff could not write the image";
    return ok;
}

bool Refuse(const char* what, const std::string& path, const std::string& reason, std::string& error) {
    error = std::string(what) + " '" + path + "': " + reason;
    return false;
}

}  // namespace

bool SaveTiffFile(const ScanBitmap& image, const std::string& path, const TiffOptions& options, std::string& error) {
    if (image.Empty()) return Refuse("cannot write", path, "the image is empty", error);
    // From 1 ppi: libtiff stores a resolution as a rational and keeps a tiny one as 0, which
    // readers take for "unknown" or divide by.
    if (!(options.ppi >= 1.0 && options.ppi <= 1e6))
        return Refuse("cannot write", path, "the resolution is not between 1 and 1000000 pixels per inch", error);
    if (options.iccProfile.size() > 0xFFFFFFFFu) return Refuse("cannot write", path, "the profile is too large", error);
    // Refused before the temporary file exists, so nothing is left beside a device's node.
    if (std::string problem = ReplaceTargetProblem(path); !problem.empty())
        return Refuse("will not replace", path, problem, error);
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return Refuse("cannot create", path, std::strerror(errno), error);

    // libtiff's messages name the target: the temporary name means nothing to the reader.
    std::string reason;
    bool ok = EncodeInto(fd, path, image, options, reason);
    // mkstemp creates the file 0600; a scan is an ordinary user file.
    ::fchmod(fd, 0644);
    // On disk before the rename: after a power cut the name must not lead to an empty file.
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        reason = std::strerror(errno);
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        reason = std::strerror(errno);
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return Refuse("cannot write", path, reason, error);
    }
    // Once more just before the rename: the node may have appeared while the image was written.
    if (std::string problem = ReplaceTargetProblem(path); !problem.empty()) {
        ::unlink(temp.c_str());
        return Refuse("will not replace", path, problem, error);
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        const int code = errno;
        ::unlink(temp.c_str());
        return Refuse("cannot replace", path, std::strerror(code), error);
    }
    // The rename itself lasts once the folder is on disk. The scan is in place by now, so a
    // folder that cannot be synced (some file systems refuse it) does not fail the write.
    std::string folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) folder = ".";
    if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace calvix
