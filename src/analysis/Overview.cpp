// Nearest-pixel reduction for the overview; the area outside the reduced picture (only with the
// aspect ratio kept) stays white like a fresh bitmap on screen.

#include "analysis/Overview.h"

#include <cstring>

namespace calvix {

ScanBitmap MakeOverviewBitmap(const ScanBitmap& image, const OverviewGeometry& geometry) {
    if (image.Empty() || geometry.width < 1 || geometry.height < 1 ||
        geometry.width > ScanBitmap::MaxSide || geometry.height > ScanBitmap::MaxSide) {
        return {};
    }
    ScanBitmap overview(geometry.width, geometry.height);
    std::memset(overview.Data(), 0xFF, overview.SizeBytes());
    // The picture covers trunc(side * scale) pixels, scale = overview side / image side (the
    // smaller of the two with the aspect kept). Worked out in whole numbers: a real scale
    // rounds W * (OW / W) down to OW - 1 for many widths and leaves a white column.
    const long long w = image.Width();
    const long long h = image.Height();
    long long targetWidth = geometry.width;
    long long targetHeight = geometry.height;
    if (geometry.keepAspect) {
        if (geometry.width * h <= geometry.height * w) {
            targetHeight = h * geometry.width / w;
        } else {
            targetWidth = w * geometry.height / h;
        }
    }
    for (int v = 0; v < targetHeight; ++v) {
        const int y = static_cast<int>(v * h / targetHeight);
        const std::uint8_t* src = image.Row(y);
        std::uint8_t* dst = overview.Row(v);
        for (int u = 0; u < targetWidth; ++u) {
            const int x = static_cast<int>(u * w / targetWidth);
            std::memcpy(dst + 3 * u, src + 3 * x, 3);
        }
    }
    return overview;
}

}  // namespace calvix
