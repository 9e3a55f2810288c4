// Target colours taken from an IT8 reference record, so that a render shows the target whose
// reference file the calibration uses.
#include "ChartColours.h"

#include "it8ref/It8Ref.h"

#include <memory>
#include <sys/stat.h>

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

bool LoadChartColours(const std::string& path, ChartColours* colours, std::string* error) {
    // Reference files are a few tens of kilobytes; a megabyte is ample.
    constexpr long long kMaxReferenceBytes = 1024 * 1024;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        *error = "not a readable regular file: " + path;
        return false;
    }
    if (info.st_size > kMaxReferenceBytes) {
        *error = "reference file larger than 1 MB: " + path;
        return false;
    }
    // A file that merely reads to its end (any text does) is no reference: the chart's greys
    // must all come from it, as the calibration demands, or the sheet would show zeros.
    const auto reference = std::make_unique<TIT8Ref>();
    It8ReadReport report;
    if (reference->LoadCalibrationReference(path, report) != 0) {
        *error = "not an IT8 reference: '" + path + "' " + DescribeIt8Fault(report);
        return false;
    }
    *colours = ChartColoursFromReference(*reference);
    return true;
}

}  // namespace calvix
