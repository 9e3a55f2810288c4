// Target colours taken from an IT8 reference record, so that a render shows the target whose
// reference file the calibration uses.
#include "ChartColours.h"

#include "it8ref/It8Ref.h"

namespace calvix {

ChartColours ChartColoursFromReference(const TIT8Ref& reference) {
    ChartColours colours;
    for (int row = 0; row < ChartPatchRows; ++row) {
        for (int column = 0; column < ChartPatchColumns; ++column) {
            const float* xyz = reference.patchXYZ[row][column];
            colours.patches[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = {xyz[0], xyz[1], xyz[2]};
        }
    }
    for (int i = 0; i < ChartGreyCount; ++i) {
        const float* xyz = reference.greyXYZ[i];
        colours.greys[static_cast<std::size_t>(i)] = {xyz[0], xyz[1], xyz[2]};
    }
    return colours;
}

}  // namespace calvix
