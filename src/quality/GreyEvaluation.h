// The grey wedge of a verification scan against its reference: per patch the difference in
// 8-bit levels per channel and, through the reference encoding, in L* and in the a*b* plane;
// per side the statistics that decide pass or fail.
#pragma once

#include "calibration/CorrectionTypes.h"
#include "colour/ColourSpaces.h"
#include "it8ref/ReferenceGrey.h"

#include <array>
#include <string>
#include <vector>

namespace calvix::quality {

// The reference encoding in force (matrix, gamma, the linear stretch that puts GS0 at 255 and
// GS23 at 0) run backwards: an 8-bit RGB level triple to the L*a*b* (D50) it stands for. The
// same decoding is applied to measured and reference levels, so equal levels give equal
// L*a*b*, and a level's weight in L* is the one the encoding gives it.
class ReferenceEncoding {
public:
    ReferenceEncoding(const GreyTable& greys, const ColourMatrix& matrix, double gamma);
    Lab Decode(const std::array<int, 3>& levels) const;
    // Fractional levels, as a patch's mean gives them.
    Lab DecodeFractional(const std::array<double, 3>& levels) const;
    bool Usable() const { return usable_; }

private:
    std::array<double, 3> dark_{};   // the reference value of GS23 per channel, 0..255 scale
    std::array<double, 3> span_{};   // GS0 minus GS23
    Matrix3 toXyz_{};
    double gamma_ = 1.0;
    bool usable_ = false;
};

// Pass limits on the grey wedge, per channel, in 8-bit levels.
struct GreyThresholds {
    double meanLevels = 1.0;
    int maxLevels = 3;
};

struct GreyPatchResult {
    std::array<int, 3> reference{};
    std::array<int, 3> measured{};
    std::array<int, 3> difference{};  // measured minus reference
    Lab referenceLab;
    Lab measuredLab;
    double deltaL = 0.0;   // measured minus reference
    double deltaAb = 0.0;  // distance in the a*b* plane
};

struct GreyEvaluation {
    std::array<GreyPatchResult, GreyWedgeSteps> patches{};
    std::array<double, 3> meanAbs{};  // red, green, blue
    std::array<int, 3> maxAbs{};
    double meanAbsDeltaL = 0.0;
    double maxAbsDeltaL = 0.0;
    double meanDeltaAb = 0.0;
    double maxDeltaAb = 0.0;
    bool pass = false;
    // Patches with a channel beyond the largest allowed difference ("GS7").
    std::vector<std::string> outOfTolerance;
    // When the mean fails with no patch beyond the maximum: the patches that lift it, those
    // beyond the mean limit.
    std::vector<std::string> aboveMean;
};

GreyEvaluation EvaluateGreys(const GreyColours& measured, const GreyColours& reference,
                             const ReferenceEncoding& encoding, const GreyThresholds& thresholds);

}  // namespace calvix::quality
