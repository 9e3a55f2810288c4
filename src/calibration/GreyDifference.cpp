// Mean and largest absolute differences of a measured wedge against its reference.
#include "calibration/GreyDifference.h"

#include <cstdlib>

namespace calvix {

GreyDifference CompareGreys(const GreyColours& measured, const GreyColours& reference) {
    GreyDifference difference;
    for (int c = 0; c < 3; ++c) {
        const auto channel = static_cast<ColourChannel>(c);
        int sum = 0;
        for (std::size_t k = 0; k < measured.size(); ++k) {
            const int d = std::abs(ChannelOf(measured[k], channel) - ChannelOf(reference[k], channel));
            sum += d;
            if (d > difference.max[c]) difference.max[c] = d;
        }
        difference.mean[c] = measured.empty() ? 0.0 : static_cast<double>(sum) / static_cast<double>(measured.size());
    }
    return difference;
}

}  // namespace calvix
