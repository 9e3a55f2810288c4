// Nearest-pixel reduction for the overview; the area outside the reduced picture (only with the
// aspect ratio kept) stays white like a fresh bitmap on screen.

#include "analysis/Overview.h"

#include <algorithm>
#include <cstring>

namespace calvix {

ScanBitmap MakeOverviewBitmap(const ScanBitmap& image, const OverviewGeometry& geometry) {
    if (image.Empty() || geometry.width < 1 || geometry.height < 1 ||
        geometry.width > ScanBitmap::MaxSide || geometry.height > ScanBitmap::MaxSide) {
        return {};
    }
    ScanBitmap overview(geometry.width, geometry.height);
    std::memset(overview.Data(), 0xFF, overview.SizeBytes());
    double sx = static_cast<double>(geometry.width) / image.Width();
    double sy = static_cast<double>(geometry.height) / image.Height();
    if (geometry.keepAspect) sx = sy = std::min(sx, sy);
    const int targetWidth = std::min(geometry.width, static_cast<int>(image.Width() * sx));
    const int targetHeight = std::min(geometry.height, static_cast<int>(image.Height() * sy));
    for (int v = 0; v < targetHeight; ++v) {
        const int y = static_cast<int>(static_cast<long long>(v) * image.Height() / targetHeight);
        const std::uint8_t* src = image.Row(y);
        std::uint8_t* dst = overview.Row(v);
        for (int u = 0; u < targetWidth; ++u) {
            const int x = static_cast<int>(static_cast<long long>(u) * image.Width() / targetWidth);
            std::memcpy(dst + 3 * u, src + 3 * x, 3);
        }
    }
    return overview;
}

}  // namespace calvix
