// Wedge linearisation: the greys' mean levels against their reference Y through the profile's
// monotone shaper fit, which pools a step the scanner cannot tell from the next (the clipped
// darkest greys) and runs on straight beyond the wedge's ends.
#include "quality/WedgeLinearisation.h"

#include "analysis/ColourCells.h"
#include "profiling/ToneShaper.h"
#include "quality/GreyPatches.h"
#include "quality/PixelDecoder.h"

#include <utility>
#include <vector>

namespace calvix::quality {

bool WedgeLinearisation(const ScanBitmap& image, const std::array<Point, 5>& slots,
                        const std::array<Lab, GreyPatchCount>& referenceGreys, ChannelLinearisation* table,
                        std::string* error) {
    GreyPatchSquares squares{};
    if (!LocateGreyPatches(image, slots, &squares, error)) return false;
    std::array<std::vector<std::pair<double, double>>, 3> points;
    for (std::size_t i = 0; i < squares.size(); ++i) {
        const std::array<double, 3> mean = MeanColourAround(image, squares[i]);
        const double luminance = RelativeLuminance(referenceGreys[i]);
        for (std::size_t c = 0; c < 3; ++c) points[c].push_back({mean[c], luminance});
    }
    ChannelLinearisation result{};
    for (std::size_t c = 0; c < 3; ++c) {
        ToneShaper shaper;
        if (!shaper.Fit(points[c])) {
            *error = std::string("the grey wedge's ") + "RGB"[c] + " levels do not rise with its luminance";
            return false;
        }
        for (std::size_t level = 0; level < 256; ++level)
            result[c][level] = static_cast<float>(shaper.Linear(static_cast<double>(level)));
    }
    *table = result;
    return true;
}

}  // namespace calvix::quality
