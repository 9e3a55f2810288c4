// One channel's shaper curve of an input profile: device value (0..255) to a linear value that
// rises with the light the patch reflects, made from the grey wedge alone.
#pragma once

#include <utility>
#include <vector>

namespace calvix {

class ToneShaper {
public:
    // points: a grey patch's device value (0..255) and its relative luminance (Y of the patch
    // over Y of the white). At least two distinct device values are needed; false otherwise.
    bool Fit(std::vector<std::pair<double, double>> points);

    // 0 at device 0 at the least, 1 at device 255, never falling; fractions of a level allowed.
    double Linear(double device) const;
    // The curve sampled at size evenly spaced device values from 0 to 255, as 16-bit values
    // (the form an ICC curve tag holds).
    std::vector<unsigned short> Table(int size) const;

private:
    std::vector<double> x_, y_, tangent_;
};

}  // namespace calvix
