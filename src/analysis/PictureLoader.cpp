// Content-based choice of the picture decoder behind the image windows' generic load path.

#include "analysis/PictureLoader.h"

#include "analysis/BmpReader.h"
#include "analysis/FileBytes.h"
#include "analysis/JpegDecoder.h"

#include <vector>

namespace calvix {
namespace {

bool StartsWith(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> prefix) {
    if (bytes.size() < prefix.size()) return false;
    std::size_t i = 0;
    for (std::uint8_t b : prefix) {
        if (bytes[i++] != b) return false;
    }
    return true;
}

}  // namespace

PictureResult LoadPicture(const std::string& path, PictureFormatLoader* otherFormats,
                          const LoadProgressFn& progress) {
    ImageBytes bytes;
    std::string error;
    // A BMP's headers give its size: a huge or sparse file is judged before it is read.
    const HeadCheck bmpExtent = [](std::span<const std::uint8_t> head, std::uint64_t& needed) {
        return StartsWith(head, {'B', 'M'}) ? BmpFileExtent(head, needed) : std::string();
    };
    if (!ReadFileBytes(path, bytes, error, MaxPictureFileBytes, bmpExtent)) return PictureResult::Failure(error);
    if (StartsWith(bytes, {'B', 'M'})) return DecodeBmp(bytes, progress);
    if (StartsWith(bytes, {0xFF, 0xD8, 0xFF})) {
        // JPEG data under another name: the platform would hold it as a JPEG graphic.
        PictureResult result = DecodeJpeg(bytes, progress);
        result.heldAsBitmap = false;
        return result;
    }
    if (otherFormats != nullptr) return otherFormats->Load(bytes, path, progress);
    return PictureResult::Failure("unknown picture format: '" + path + "'");
}

}  // namespace calvix
