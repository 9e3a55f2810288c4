// The level tables. FADGI limits are strict (a value on a limit falls to the next level), the
// ISO 19264-1 ones inclusive, as the two guidelines state them.
#include "AuditLevels.h"

#include <cmath>

namespace calvix::verify {

namespace {

int StarsBelow(double value, const double (&limits)[4]) {
    if (!std::isfinite(value)) return 0;
    for (int i = 0; i < 4; ++i)
        if (value < limits[i]) return 4 - i;
    return 0;
}

}  // namespace

int FadgiToneStars(double maxAbsDeltaL) {
    static constexpr double limits[4] = {1.5, 3.0, 4.5, 6.0};
    return StarsBelow(maxAbsDeltaL, limits);
}

int FadgiWhiteBalanceStars(double maxDeltaAb) {
    static constexpr double limits[4] = {2.0, 4.0, 6.0, 8.0};
    return StarsBelow(maxDeltaAb, limits);
}

std::string IsoToneLevel(double maxAbsDeltaL) {
    if (!std::isfinite(maxAbsDeltaL)) return {};
    if (maxAbsDeltaL <= 2.0) return "A";
    if (maxAbsDeltaL <= 3.0) return "B";
    if (maxAbsDeltaL <= 4.0) return "C";
    return {};
}

std::string StarsText(int stars) {
    if (stars <= 0) return "none";
    return std::to_string(stars) + (stars == 1 ? " star" : " stars");
}

}  // namespace calvix::verify
