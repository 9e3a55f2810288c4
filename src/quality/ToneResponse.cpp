// Tone response: patch means decoded once each, then differences and slopes against the reference.
#include "quality/ToneResponse.h"

#include "analysis/ColourCells.h"

#include <algorithm>
#include <cmath>

namespace calvix::quality {

namespace {

void AddToRange(GainRange& range, double gain) {
    range.min = range.steps == 0 ? gain : std::min(range.min, gain);
    range.max = range.steps == 0 ? gain : std::max(range.max, gain);
    ++range.steps;
}

}  // namespace

bool MeasureToneResponse(const ScanBitmap& image, const std::array<Point, 5>& slots,
                         const std::array<double, GreyPatchCount>& referenceL, const PixelDecoder& decode,
                         const ToneOptions& options, ToneFigures* figures, std::string* error) {
    if (!decode) {
        *error = "no pixel decoder for the tone response";
        return false;
    }
    if (options.gainSpan < 1 || options.gainSpan >= GreyPatchCount) {
        *error = "gain span must be 1.." + std::to_string(GreyPatchCount - 1) + " patches";
        return false;
    }
    GreyPatchSquares squares{};
    if (!LocateGreyPatches(image, slots, &squares, error)) return false;
    ToneFigures result;
    result.referenceL = referenceL;
    for (std::size_t i = 0; i < squares.size(); ++i) {
        const std::array<double, 3> mean = MeanColourAround(image, squares[i]);
        result.measuredL[i] = decode(mean[0], mean[1], mean[2]).L;
        result.deltaL[i] = result.measuredL[i] - referenceL[i];
        if (std::abs(result.deltaL[i]) > result.maxAbsDeltaL) {
            result.maxAbsDeltaL = std::abs(result.deltaL[i]);
            result.worstPatch = static_cast<int>(i);
        }
    }
    for (int i = 0; i + options.gainSpan < GreyPatchCount; ++i) {
        const auto a = static_cast<std::size_t>(i), b = static_cast<std::size_t>(i + options.gainSpan);
        const double reference = referenceL[a] - referenceL[b];
        if (std::abs(reference) < options.minReferenceStep) continue;
        GainStep step;
        step.lighter = i;
        step.darker = i + options.gainSpan;
        step.gain = (result.measuredL[a] - result.measuredL[b]) / reference;
        step.highlight = std::min(referenceL[a], referenceL[b]) >= options.highlightMinL;
        AddToRange(step.highlight ? result.highlights : result.other, step.gain);
        result.steps.push_back(step);
    }
    *figures = std::move(result);
    return true;
}

}  // namespace calvix::quality
