// Tone response of a scan on the grey wedge: delta L* of each grey patch against its reference,
// and the gain modulation, the local slope of the measured tone curve against the reference's.
#pragma once

#include "analysis/ScanBitmap.h"
#include "quality/GreyPatches.h"
#include "quality/PixelDecoder.h"

#include <array>
#include <string>
#include <vector>

namespace calvix::quality {

struct ToneOptions {
    // Gain modulation is the ratio of the measured to the reference L* difference of two patches
    // (ISO 19264-1, Metamorfoze), here of patches two steps down the wedge from each other: its
    // steps are about 4 L*, and across 8 L* a 0.2 L* error of one mean moves the gain by 0.025.
    int gainSpan = 2;
    // A pair whose both reference L* are at least this belongs to the highlights, the band the
    // guidelines grade on its own; the rest of the wedge is "other".
    double highlightMinL = 80.0;
    // Pairs whose reference differs by less are skipped: their ratio says nothing.
    double minReferenceStep = 1.0;
};

struct GainStep {
    int lighter = 0;  // patch index (GS number)
    int darker = 0;
    double gain = 1.0;
    bool highlight = false;
};

struct GainRange {
    double min = 0.0;
    double max = 0.0;
    int steps = 0;  // 0: no pair fell in the band
};

struct ToneFigures {
    std::array<double, GreyPatchCount> measuredL{};
    std::array<double, GreyPatchCount> referenceL{};
    std::array<double, GreyPatchCount> deltaL{};  // measured - reference
    double maxAbsDeltaL = 0.0;
    int worstPatch = 0;
    std::vector<GainStep> steps;
    GainRange highlights;
    GainRange other;
};

// The mean colour of each grey patch's sampling square, decoded, against the reference L* of
// GS0..GS23. False with the reason when the patches cannot be located.
bool MeasureToneResponse(const ScanBitmap& image, const std::array<Point, 5>& slots,
                         const std::array<double, GreyPatchCount>& referenceL, const PixelDecoder& decode,
                         const ToneOptions& options, ToneFigures* figures, std::string* error);

}  // namespace calvix::quality
