// Profile accuracy on a set of patches.
#include "profiling/ProfileAccuracy.h"

#include "colour/ColourDifference.h"

#include <algorithm>
#include <cmath>

namespace calvix {

ProfileFigures Summarise(const std::vector<double>& values) {
    ProfileFigures f;
    f.patches = static_cast<int>(values.size());
    if (values.empty()) return f;
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    double sum = 0.0;
    for (double v : sorted) sum += v;
    f.mean = sum / static_cast<double>(sorted.size());
    f.max = sorted.back();
    const auto rank = static_cast<std::size_t>(std::ceil(0.9 * static_cast<double>(sorted.size())));
    f.p90 = sorted[std::max<std::size_t>(rank, 1) - 1];
    return f;
}

ProfileFigures ProfileAccuracy(const IccProfile& profile, const std::vector<PatchMeasurement>& patches,
                               std::vector<double>* perPatch) {
    const RgbToLabTransform transform(profile);
    std::vector<double> differences;
    std::string worst;
    double largest = -1.0;
    for (const PatchMeasurement& p : patches) {
        const Lab read = transform.Apply(p.device[0], p.device[1], p.device[2]);
        const double d = DeltaE2000(read, XyzToLab(p.reference, WhiteD50));
        differences.push_back(d);
        if (d > largest) {
            largest = d;
            worst = p.name;
        }
    }
    if (perPatch) *perPatch = differences;
    ProfileFigures f = Summarise(differences);
    f.worst = worst;
    return f;
}

}  // namespace calvix
