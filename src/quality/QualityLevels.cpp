// Grading against the level table: the best level whose band holds the value, and the weakest of
// several figures. Levels are indices internally (0 the best, N none met) so the three standards
// share one path.
#include "quality/QualityLevels.h"

#include <algorithm>
#include <cmath>

namespace calvix::quality {

namespace {

bool Holds(const Band& band, double value) {
    if (band.strict) return value > band.min && value < band.max;
    return value >= band.min && value <= band.max;
}

template <std::size_t N>
int LevelIndex(const std::array<Band, N>& bands, FigureValue value) {
    if (!std::isfinite(value.low) || !std::isfinite(value.high)) return static_cast<int>(N);
    for (std::size_t i = 0; i < N; ++i)
        if (Holds(bands[i], value.low) && Holds(bands[i], value.high)) return static_cast<int>(i);
    return static_cast<int>(N);
}

constexpr std::array<const char*, 3> kIsoNames{"A", "B", "C"};
constexpr std::array<const char*, 3> kMetamorfozeNames{"Strict", "Light", "Extra Light"};

std::optional<int> FadgiIndex(Figure figure, FigureValue value) {
    const auto& bands = LevelsOf(figure).fadgi;
    if (!bands) return std::nullopt;
    return LevelIndex(*bands, value);
}
std::optional<int> IsoIndex(Figure figure, FigureValue value) {
    const auto& bands = LevelsOf(figure).iso;
    if (!bands) return std::nullopt;
    return LevelIndex(*bands, value);
}
std::optional<int> MetamorfozeIndex(Figure figure, FigureValue value) {
    const auto& bands = LevelsOf(figure).metamorfoze;
    if (!bands) return std::nullopt;
    return LevelIndex(*bands, value);
}

std::string NameOf(const std::array<const char*, 3>& names, int index) {
    return index < 3 ? names[static_cast<std::size_t>(index)] : "";
}

// The largest (weakest) index over the graded figures.
template <typename IndexOf>
std::optional<int> WeakestIndex(const Measurements& measured, IndexOf indexOf) {
    std::optional<int> weakest;
    for (const auto& [figure, value] : measured) {
        const std::optional<int> index = indexOf(figure, value);
        if (index) weakest = std::max(weakest.value_or(0), *index);
    }
    return weakest;
}

}  // namespace

const LevelRow& LevelsOf(Figure figure) {
    for (const LevelRow& row : kLevelTable)
        if (row.figure == figure) return row;
    return kLevelTable.front();  // unreachable: the table has a row per figure
}

std::optional<int> FadgiStars(Figure figure, FigureValue value) {
    const std::optional<int> index = FadgiIndex(figure, value);
    if (!index) return std::nullopt;
    return 4 - *index;
}

std::optional<std::string> IsoLevel(Figure figure, FigureValue value) {
    const std::optional<int> index = IsoIndex(figure, value);
    if (!index) return std::nullopt;
    return NameOf(kIsoNames, *index);
}

std::optional<std::string> MetamorfozeLevel(Figure figure, FigureValue value) {
    const std::optional<int> index = MetamorfozeIndex(figure, value);
    if (!index) return std::nullopt;
    return NameOf(kMetamorfozeNames, *index);
}

std::optional<int> OverallFadgiStars(const Measurements& measured) {
    const std::optional<int> index = WeakestIndex(measured, FadgiIndex);
    if (!index) return std::nullopt;
    return 4 - *index;
}

std::optional<std::string> OverallIsoLevel(const Measurements& measured) {
    const std::optional<int> index = WeakestIndex(measured, IsoIndex);
    if (!index) return std::nullopt;
    return NameOf(kIsoNames, *index);
}

std::optional<std::string> OverallMetamorfozeLevel(const Measurements& measured) {
    const std::optional<int> index = WeakestIndex(measured, MetamorfozeIndex);
    if (!index) return std::nullopt;
    return NameOf(kMetamorfozeNames, *index);
}

}  // namespace calvix::quality
