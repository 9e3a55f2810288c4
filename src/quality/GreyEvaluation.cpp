// Grey-wedge statistics of a verification and the inverse of the reference grey conversion.
#include "quality/GreyEvaluation.h"

#include "colour/ColourDifference.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace calvix::quality {

ReferenceEncoding::ReferenceEncoding(const GreyTable& greys, const ColourMatrix& matrix, double gamma)
    : gamma_(gamma) {
    usable_ = gamma > 0.0 && std::isfinite(gamma);
    for (std::size_t c = 0; c < 3; ++c) {
        dark_[c] = greys[23][c];
        span_[c] = static_cast<double>(greys[0][c]) - greys[23][c];
        if (!(span_[c] > 0.0) || !std::isfinite(span_[c])) usable_ = false;
    }
    Matrix3 m{};
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j) m[i][j] = matrix[i][j];
    if (!Invert(m, toXyz_)) usable_ = false;
}

Lab ReferenceEncoding::Decode(const std::array<int, 3>& levels) const {
    return DecodeFractional(std::array<double, 3>{static_cast<double>(levels[0]), static_cast<double>(levels[1]),
                                        static_cast<double>(levels[2])});
}

Lab ReferenceEncoding::DecodeFractional(const std::array<double, 3>& levels) const {
    Xyz linear;
    double* out[3] = {&linear.X, &linear.Y, &linear.Z};
    for (std::size_t c = 0; c < 3; ++c) {
        // Undo the stretch, then the transfer 1.055 * v^(1/gamma) - 0.055, mirrored below zero
        // as the reference conversion mirrors it.
        const double value = (dark_[c] + levels[c] * span_[c] / 255.0) / 255.0;
        const double shaped = (value + 0.055) / 1.055;
        const double magnitude = std::pow(std::fabs(shaped), gamma_);
        *out[c] = shaped < 0.0 ? -magnitude : magnitude;
    }
    const Xyz xyz = Apply(toXyz_, linear);
    // Below-black linear values have no L*; they count as black.
    return XyzToLab({std::max(0.0, 100.0 * xyz.X), std::max(0.0, 100.0 * xyz.Y), std::max(0.0, 100.0 * xyz.Z)},
                    WhiteD50);
}

GreyEvaluation EvaluateGreys(const GreyColours& measured, const GreyColours& reference,
                             const ReferenceEncoding& encoding, const GreyThresholds& thresholds) {
    GreyEvaluation e;
    std::array<int, 3> sums{};
    for (std::size_t k = 0; k < measured.size(); ++k) {
        GreyPatchResult& p = e.patches[k];
        for (std::size_t c = 0; c < 3; ++c) {
            const auto channel = static_cast<ColourChannel>(c);
            p.measured[c] = ChannelOf(measured[k], channel);
            p.reference[c] = ChannelOf(reference[k], channel);
            p.difference[c] = p.measured[c] - p.reference[c];
            const int magnitude = std::abs(p.difference[c]);
            sums[c] += magnitude;
            e.maxAbs[c] = std::max(e.maxAbs[c], magnitude);
        }
        p.referenceLab = encoding.Decode(p.reference);
        p.measuredLab = encoding.Decode(p.measured);
        p.deltaL = p.measuredLab.L - p.referenceLab.L;
        p.deltaAb = DeltaEab(p.measuredLab, p.referenceLab);
        e.meanAbsDeltaL += std::fabs(p.deltaL);
        e.maxAbsDeltaL = std::max(e.maxAbsDeltaL, std::fabs(p.deltaL));
        e.meanDeltaAb += p.deltaAb;
        e.maxDeltaAb = std::max(e.maxDeltaAb, p.deltaAb);
    }
    const double n = static_cast<double>(measured.size());
    e.meanAbsDeltaL /= n;
    e.meanDeltaAb /= n;
    bool meanFails = false;
    for (std::size_t c = 0; c < 3; ++c) {
        e.meanAbs[c] = sums[c] / n;
        meanFails = meanFails || e.meanAbs[c] > thresholds.meanLevels;
    }
    for (std::size_t k = 0; k < measured.size(); ++k) {
        const GreyPatchResult& p = e.patches[k];
        const int worst = std::max({std::abs(p.difference[0]), std::abs(p.difference[1]), std::abs(p.difference[2])});
        const std::string name = "GS" + std::to_string(k);
        if (worst > thresholds.maxLevels) e.outOfTolerance.push_back(name);
        else if (worst > thresholds.meanLevels) e.aboveMean.push_back(name);
    }
    e.pass = !meanFails && e.outOfTolerance.empty();
    if (e.pass || !e.outOfTolerance.empty()) e.aboveMean.clear();
    return e;
}

}  // namespace calvix::quality
