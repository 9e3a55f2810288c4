// Grading of a side's figures. The weakest level is found the same way as the level table's
// overall grade, and every figure at it is named, since two may limit the grade together; at the
// standard's top level nothing holds the grade down, and none is named.
#include "quality/QualityGrades.h"

#include "quality/AuditLevels.h"

#include <array>

namespace calvix::quality {

namespace {

struct FigureName {
    Figure figure;
    const char* key;
    const char* label;
};

constexpr std::array<FigureName, 13> kNames{{
    {Figure::ToneDeltaL, "tone_delta_l", "tone response, largest |dL*|"},
    {Figure::GainModulationHighlights, "gain_highlights", "gain modulation, highlights"},
    {Figure::GainModulationOther, "gain_other", "gain modulation, other greys"},
    {Figure::NoiseL, "noise_l", "noise, largest sigma L*"},
    {Figure::Uniformity, "uniformity_percent", "illumination non-uniformity, %"},
    {Figure::SamplingRatePpi, "sampling_rate_ppi", "sampling rate, ppi"},
    {Figure::WhiteBalanceDeltaAb, "white_balance_delta_ab", "white balance, largest dE(a*b*)"},
    {Figure::ColourMeanDeltaE, "colour_mean_de2000", "colour accuracy, mean dE2000"},
    {Figure::ColourMaxDeltaE, "colour_max_de2000", "colour accuracy, largest dE2000"},
    {Figure::ColourP90DeltaE, "colour_p90_de2000", "colour accuracy, 90th percentile dE2000"},
    {Figure::SamplingEfficiency, "sampling_efficiency_percent", "sampling efficiency, %"},
    {Figure::Mtf50, "mtf50_cy_px", "MTF50 (green), cycles/pixel"},
    {Figure::Misregistration, "misregistration_px", "colour misregistration, px"},
}};

const FigureName& NameOf(Figure figure) {
    for (const FigureName& name : kNames)
        if (name.figure == figure) return name;
    return kNames.front();
}

// Stars as an index (0 the best, 4 none met) so the three standards share one weakest rule.
template <typename Index>
StandardGrade Weakest(const std::vector<GradedFigure>& figures, Index indexOf) {
    StandardGrade grade;
    int weakest = -1;
    for (const GradedFigure& f : figures) {
        const std::optional<int> index = indexOf(f);
        if (!index) continue;
        grade.graded = true;
        if (*index > weakest) {
            weakest = *index;
            grade.limiting.clear();
        }
        if (*index == weakest) grade.limiting.push_back(f.figure);
    }
    if (weakest == 0) grade.limiting.clear();
    return grade;
}

std::optional<int> NameIndex(const std::optional<std::string>& level, const std::array<const char*, 3>& names) {
    if (!level) return std::nullopt;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (*level == names[i]) return static_cast<int>(i);
    return 3;
}

constexpr std::array<const char*, 3> kIso{"A", "B", "C"};
constexpr std::array<const char*, 3> kMetamorfoze{"Strict", "Light", "Extra Light"};

}  // namespace

QualityGrades GradeFigures(const Measurements& measured) {
    QualityGrades grades;
    for (const auto& [figure, value] : measured)
        grades.figures.push_back(
            {figure, value, FadgiStars(figure, value), IsoLevel(figure, value), MetamorfozeLevel(figure, value)});
    grades.fadgi = Weakest(grades.figures, [](const GradedFigure& f) -> std::optional<int> {
        if (!f.fadgiStars) return std::nullopt;
        return 4 - *f.fadgiStars;
    });
    grades.iso = Weakest(grades.figures, [](const GradedFigure& f) { return NameIndex(f.iso, kIso); });
    grades.metamorfoze =
        Weakest(grades.figures, [](const GradedFigure& f) { return NameIndex(f.metamorfoze, kMetamorfoze); });
    grades.fadgi.fadgiStars = OverallFadgiStars(measured).value_or(0);
    grades.iso.level = OverallIsoLevel(measured).value_or("");
    grades.metamorfoze.level = OverallMetamorfozeLevel(measured).value_or("");
    return grades;
}

const char* FigureKey(Figure figure) { return NameOf(figure).key; }
const char* FigureLabel(Figure figure) { return NameOf(figure).label; }

bool FigureFromKey(const std::string& key, Figure* figure) {
    for (const FigureName& name : kNames)
        if (key == name.key) {
            *figure = name.figure;
            return true;
        }
    return false;
}

std::string FadgiText(const std::optional<int>& stars) {
    if (!stars) return "-";
    return *stars > 0 ? StarsText(*stars) : "no level";
}

std::string LevelText(const std::optional<std::string>& level) {
    if (!level) return "-";
    return level->empty() ? "no level" : *level;
}

}  // namespace calvix::quality
