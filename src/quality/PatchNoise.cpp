// Patch noise: each distinct pixel value of a square is decoded once (a patch holds few), then
// the L* values are summed about their mean in two passes.
#include "quality/PatchNoise.h"

#include <cmath>
#include <unordered_map>
#include <vector>

namespace calvix::quality {

bool MeasurePatchNoise(const ScanBitmap& image, const std::array<Point, 5>& slots, const PixelDecoder& decode,
                       NoiseFigures* figures, std::string* error) {
    if (!decode) {
        *error = "no pixel decoder for the patch noise";
        return false;
    }
    GreyPatchSquares squares{};
    if (!LocateGreyPatches(image, slots, &squares, error)) return false;
    NoiseFigures result;
    std::unordered_map<PackedColour, double> lightness;
    std::vector<double> values;
    for (std::size_t i = 0; i < squares.size(); ++i) {
        const PatchCentre& square = squares[i];
        values.clear();
        for (int y = square.centre.y - square.radius; y <= square.centre.y + square.radius; ++y) {
            for (int x = square.centre.x - square.radius; x <= square.centre.x + square.radius; ++x) {
                const PackedColour colour = image.Pixel(x, y);
                auto found = lightness.find(colour);
                if (found == lightness.end())
                    found = lightness.emplace(colour, decode(RedOf(colour), GreenOf(colour), BlueOf(colour)).L).first;
                values.push_back(found->second);
            }
        }
        double mean = 0.0;
        for (double v : values) mean += v;
        mean /= static_cast<double>(values.size());
        double squares2 = 0.0;
        for (double v : values) squares2 += (v - mean) * (v - mean);
        result.sigmaL[i] = std::sqrt(squares2 / static_cast<double>(values.size() - 1));
        result.pixelsPerPatch = static_cast<int>(values.size());
        if (result.sigmaL[i] > result.worstSigmaL) {
            result.worstSigmaL = result.sigmaL[i];
            result.worstPatch = static_cast<int>(i);
        }
    }
    *figures = result;
    return true;
}

}  // namespace calvix::quality
