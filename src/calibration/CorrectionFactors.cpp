// White adaption and correction factors: how far each measured grey step lies from its
// reference, scaled by the measured white of the red channel.
#include "calibration/CorrectionFactors.h"

#include "app/FormStatus.h"

#include <cstdio>

namespace calvix {

void UpdateWhiteScale(WhiteScale& scale, int sliderPosition, PackedColour measuredLightest) {
    if (sliderPosition < WhiteSliderMin || sliderPosition > WhiteSliderMax) return;
    const double share = sliderPosition / 4.0;
    for (ColourChannel channel : AllChannels) {
        const int white = ChannelOf(measuredLightest, channel);
        scale[static_cast<int>(channel)] = 1.0 + share * (255 - white) / 255.0;
    }
}

CorrectionFactors ComputeCorrectionFactors(const GreyColours& measured, const GreyColours& reference) {
    // The red channel's white serves all three channels.
    const float whiteShare = static_cast<float>(RedOf(measured[0]) / 255.0);
    CorrectionFactors factors{};
    for (int k = 0; k < GreyWedgeSteps; ++k) {
        for (ColourChannel channel : AllChannels) {
            const int m = ChannelOf(measured[k], channel);
            const int ref = ChannelOf(reference[k], channel);
            // A step measured 0 carries no signal to relate the reference to; its factor is
            // 0 so that the log and the graph show a defined value instead of infinity.
            factors[k][static_cast<int>(channel)] = m == 0 ? 0.0 : static_cast<double>(ref) / m * whiteShare;
        }
    }
    return factors;
}

std::vector<std::string> CorrectionFactorLines(const GreyColours& measured, const CorrectionFactors& factors) {
    std::vector<std::string> lines;
    lines.reserve(GreyWedgeSteps + 1);
    lines.emplace_back("Correction factors RGB");
    for (int k = GreyWedgeSteps - 1; k >= 0; --k) {
        char line[160];
        std::snprintf(line, sizeof line, "%d %d %4.2f %d %4.2f %d %4.2f", GreyWedgeSteps - 1 - k, RedOf(measured[k]),
                      factors[k][0], GreenOf(measured[k]), factors[k][1], BlueOf(measured[k]), factors[k][2]);
        lines.emplace_back(line);
    }
    return lines;
}

void LogCorrectionFactors(const GreyColours& measured, const CorrectionFactors& factors) {
    for (const std::string& line : CorrectionFactorLines(measured, factors)) LogStatus(line, LogSta);
}

}  // namespace calvix
