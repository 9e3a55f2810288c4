// The image-quality figures in the drift history: written into each side of a history line as
// an object of figure keys, read back from lines that have them (older lines have none), and
// printed per side and figure as the values of the last runs with their slope.
#pragma once

#include "History.h"
#include "JsonText.h"
#include "quality/SideQuality.h"

#include <cstdio>

namespace calvix::verify {

// Runs whose figures the drift shows, the latest last.
inline constexpr std::size_t QualityDriftRuns = 10;

void WriteQualityFigures(JsonWriter& w, const quality::SideQuality& q);
// The side's "quality" member, when there is one; unknown keys and malformed values are skipped.
void ReadQualityFigures(const JsonValue& side, HistorySide& into);
void PrintQualityTrend(const HistoryRead& history, std::FILE* out);

}  // namespace calvix::verify
