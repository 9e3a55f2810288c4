// Helper image classification. Works on channel sums instead of float means: the mean of three
// bytes compared with an integer limit gives the same answer and costs no division; the 766
// possible sums are classified once, so a pixel costs a table look-up and no branch.

#include "analysis/HelperImage.h"

#include <array>
#include <cstdint>

namespace calvix {

ScanBitmap MakeHelperImage(const ScanBitmap& scan, int threshold) {
    if (scan.Empty()) return {};
    ScanBitmap helper(scan.Width(), scan.Height());
    // 64 bits, because the threshold comes from the settings file and may be any integer.
    const std::int64_t blackBelow = 3 * static_cast<std::int64_t>(threshold);
    constexpr int whiteAbove = 3 * 175;
    std::array<std::uint8_t, 3 * 255 + 1> classOfSum{};
    for (int sum = 0; sum < static_cast<int>(classOfSum.size()); ++sum) {
        std::uint8_t value = 192;
        if (sum < blackBelow) {
            value = 0;
        } else if (sum > whiteAbove) {
            value = 255;
        }
        classOfSum[static_cast<std::size_t>(sum)] = value;
    }
    const std::size_t rowBytes = scan.Stride();
    for (int y = 0; y < scan.Height(); ++y) {
        const std::uint8_t* src = scan.Row(y);
        std::uint8_t* dst = helper.Row(y);
        for (std::size_t i = 0; i < rowBytes; i += 3) {
            const std::uint8_t value = classOfSum[static_cast<std::size_t>(src[i] + src[i + 1] + src[i + 2])];
            dst[i] = dst[i + 1] = dst[i + 2] = value;
        }
    }
    return helper;
}

}  // namespace calvix
