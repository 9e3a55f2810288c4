// Fuzz target for the JPEG loader: libjpeg errors must come back as results (never exit or
// crash), and a decoded picture must have the size its header promised.

#include "analysis/JpegDecoder.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace calvix;
    // A lower pixel limit than the program's keeps each run short and small.
    const PictureResult picture = DecodeJpeg(std::span<const std::uint8_t>(data, size), {}, 1 << 20);
    if (picture.ok && (picture.image.Empty() || picture.image.SizeBytes() !=
                                                    picture.image.Stride() * static_cast<std::size_t>(picture.image.Height()))) {
        __builtin_trap();
    }
    return 0;
}
