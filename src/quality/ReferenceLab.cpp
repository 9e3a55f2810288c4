// Reference L*a*b*: each value's XYZ taken to L*a*b* with the D50 white the file's values are under.
#include "quality/ReferenceLab.h"

namespace calvix::quality {

namespace {

Lab LabOf(const float* xyz) { return XyzToLab({xyz[0], xyz[1], xyz[2]}, WhiteD50); }

}  // namespace

std::array<Lab, GreyPatchCount> ReferenceGreyLab(const TIT8Ref& reference) {
    std::array<Lab, GreyPatchCount> greys{};
    for (std::size_t i = 0; i < greys.size(); ++i) greys[i] = LabOf(reference.greyXYZ[i]);
    return greys;
}

PatchReference ReferencePatchLab(const TIT8Ref& reference) {
    PatchReference patches{};
    for (std::size_t row = 0; row < patches.size(); ++row)
        for (std::size_t column = 0; column < patches[row].size(); ++column)
            patches[row][column] = LabOf(reference.patchXYZ[row][column]);
    return patches;
}

}  // namespace calvix::quality
