// The levels that digitisation labs are audited against, read off a verification's grey wedge:
// FADGI star ratings for tone response and white balance, ISO 19264-1 levels for tone response,
// as the level table (QualityLevels.h) grades them.
#pragma once

#include <string>

namespace calvix::quality {

// Stars 4..1 for the largest |ΔL*| over the wedge below 1.5, 3, 4.5, 6; 0 when none is met.
int FadgiToneStars(double maxAbsDeltaL);
// Stars 4..1 for the largest ΔE(a*b*) over the wedge below 2, 4, 6, 8; 0 when none is met.
int FadgiWhiteBalanceStars(double maxDeltaAb);
// "A", "B" or "C" for the largest |ΔL*| at most 2, 3, 4; empty when none is met.
std::string IsoToneLevel(double maxAbsDeltaL);

// "4 stars", "1 star", "none".
std::string StarsText(int stars);

}  // namespace calvix::quality
