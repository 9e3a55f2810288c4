// Every image-quality figure of one scanned side in one call: tone, gain, noise, white balance,
// colour accuracy, sampling rate, sharpness and registration from the chart, and the illumination
// non-uniformity from a blank page when one was scanned, each graded in the three standards.
#pragma once

#include "quality/ChartSharpness.h"
#include "quality/ColourAccuracy.h"
#include "quality/PatchNoise.h"
#include "quality/QualityGrades.h"
#include "quality/SamplingRate.h"
#include "quality/ToneResponse.h"
#include "quality/Uniformity.h"

#include <optional>
#include <string>

namespace calvix::quality {

struct SideQualityInput {
    const ScanBitmap* chart = nullptr;
    std::array<Point, 5> cornerSlots{};  // the found chart's corner slots (not "slots": Qt takes that word)
    std::array<Lab, GreyPatchCount> referenceGreys{};
    PatchReference referencePatches{};
    PixelDecoder decode;
    std::string decoderName;         // how the figures in L*a*b* were read, for the reports
    const ScanBitmap* blankPage = nullptr;  // none: no uniformity figure
    SamplingRateOptions sampling{};
    ToneOptions tone{};
    UniformityOptions uniformity{};  // its ppi is taken from the measured rate when there is one
};

// One measurement's figures, or why it gave none.
template <typename T>
struct Measured {
    std::optional<T> figures;
    std::string error;
};

struct SideQuality {
    std::string decoderName;
    Measured<ToneFigures> tone;
    Measured<NoiseFigures> noise;
    Measured<WhiteBalance> whiteBalance;
    ColourAccuracy colour;
    Measured<SamplingRateFigures> sampling;
    ChartSharpnessResult sharpness;
    Measured<UniformityFigures> uniformity;  // no error and no figures: no blank page given
    QualityGrades grades;
};

// False with the reason only when nothing can be measured (no chart image or no decoder); a
// single measurement that fails leaves its reason beside its missing figures, ungraded.
bool MeasureSideQuality(const SideQualityInput& input, SideQuality* quality, std::string* error);

// The figures graded, in report order, from what was measured.
Measurements FiguresOf(const SideQuality& quality);

}  // namespace calvix::quality
