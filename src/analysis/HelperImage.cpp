// Helper image classification. Works on channel sums instead of float means: the mean of three
// bytes compared with an integer limit gives the same answer and costs no division.

#include "analysis/HelperImage.h"

#include <cstdint>

namespace calvix {

ScanBitmap MakeHelperImage(const ScanBitmap& scan, int threshold) {
    if (scan.Empty()) return {};
    ScanBitmap helper(scan.Width(), scan.Height());
    // 64 bits, because the threshold comes from the settings file and may be any integer.
    const std::int64_t blackBelow = 3 * static_cast<std::int64_t>(threshold);
    constexpr int whiteAbove = 3 * 175;
    for (int y = 0; y < scan.Height(); ++y) {
        const std::uint8_t* src = scan.Row(y);
        std::uint8_t* dst = helper.Row(y);
        for (int x = 0; x < scan.Width(); ++x) {
            const int sum = src[3 * x] + src[3 * x + 1] + src[3 * x + 2];
            std::uint8_t value = 192;
            if (sum < blackBelow) {
                value = 0;
            } else if (sum > whiteAbove) {
                value = 255;
            }
            dst[3 * x] = dst[3 * x + 1] = dst[3 * x + 2] = value;
        }
    }
    return helper;
}

}  // namespace calvix
