// The grey wedge's audit levels through the one level table, so the verification's summary and
// the full grading can never disagree on a limit.
#include "quality/AuditLevels.h"

#include "quality/QualityLevels.h"

namespace calvix::quality {

int FadgiToneStars(double maxAbsDeltaL) { return FadgiStars(Figure::ToneDeltaL, maxAbsDeltaL).value_or(0); }

int FadgiWhiteBalanceStars(double maxDeltaAb) {
    return FadgiStars(Figure::WhiteBalanceDeltaAb, maxDeltaAb).value_or(0);
}

std::string IsoToneLevel(double maxAbsDeltaL) { return IsoLevel(Figure::ToneDeltaL, maxAbsDeltaL).value_or(""); }

std::string StarsText(int stars) {
    if (stars <= 0) return "none";
    return std::to_string(stars) + (stars == 1 ? " star" : " stars");
}

}  // namespace calvix::quality
