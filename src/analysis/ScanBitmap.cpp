// ScanBitmap: construction of the 24-bit raster; the rest of the type lives in its header.
// Sides are checked here so that no caller can build an image whose size overflows.

#include "analysis/ScanBitmap.h"

#include <stdexcept>

namespace calvix {

ScanBitmap::ScanBitmap(int width, int height) {
    if (width < 1 || height < 1 || width > MaxSide || height > MaxSide) {
        throw std::invalid_argument("ScanBitmap: side outside 1..65535");
    }
    width_ = width;
    height_ = height;
    data_ = ImageBuffer(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
}

}  // namespace calvix
