// Grading at the level boundaries of the published tables: FADGI's limits are strict, ISO's and
// Metamorfoze's inclusive, a gain range must lie inside a band with both ends, and a figure a
// standard does not grade does not count towards its overall grade.
#include "quality/QualityGrades.h"
#include "quality/QualityLevels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace calvix::quality {
namespace {

struct GradeCase {
    Figure figure;
    FigureValue value;
    std::optional<int> stars;
    std::optional<std::string> iso;
    std::optional<std::string> metamorfoze;
};

using S = std::optional<std::string>;
const GradeCase kCases[] = {
    {Figure::ToneDeltaL, 1.49, 4, S{"A"}, S{"Strict"}},
    {Figure::ToneDeltaL, 1.5, 3, S{"A"}, S{"Strict"}},
    {Figure::ToneDeltaL, 2.0, 3, S{"A"}, S{"Strict"}},
    {Figure::ToneDeltaL, 2.01, 3, S{"B"}, S{"Extra Light"}},
    {Figure::ToneDeltaL, 4.0, 2, S{"C"}, S{"Extra Light"}},
    {Figure::ToneDeltaL, 6.0, 0, S{""}, S{""}},
    {Figure::NoiseL, 1.0, 3, S{"A"}, S{"Strict"}},
    {Figure::NoiseL, 1.61, 3, S{"B"}, S{"Extra Light"}},
    {Figure::NoiseL, 2.2, 2, S{"C"}, S{""}},
    {Figure::GainModulationHighlights, {0.8, 1.1}, 4, S{"A"}, S{"Strict"}},
    {Figure::GainModulationHighlights, {0.79, 1.0}, 3, S{"B"}, S{""}},
    {Figure::GainModulationHighlights, {0.9, 1.41}, 0, S{""}, S{""}},
    {Figure::GainModulationOther, {0.7, 1.2}, 4, S{"A"}, S{"Strict"}},
    {Figure::GainModulationOther, {0.65, 1.25}, 3, S{"B"}, S{"Extra Light"}},
    {Figure::GainModulationOther, {0.26, 1.0}, 1, S{""}, S{""}},
    {Figure::SamplingRatePpi, 396.0, 4, std::nullopt, S{"Strict"}},
    {Figure::SamplingRatePpi, 395.9, 3, std::nullopt, S{"Strict"}},
    {Figure::SamplingRatePpi, 299.0, 3, std::nullopt, S{""}},
    {Figure::SamplingRatePpi, {400.0, kNoBound}, 0, std::nullopt, S{""}},
    {Figure::Uniformity, 0.5, std::nullopt, std::nullopt, std::nullopt},
    {Figure::WhiteBalanceDeltaAb, 2.0, 3, S{"A"}, S{"Strict"}},
    {Figure::WhiteBalanceDeltaAb, 3.01, 3, S{"B"}, S{"Extra Light"}},
    {Figure::WhiteBalanceDeltaAb, 5.01, 2, S{""}, S{""}},
    {Figure::ColourMeanDeltaE, 3.5, 2, S{"A"}, S{"Light"}},
    {Figure::ColourMeanDeltaE, 5.01, 1, S{""}, S{"Extra Light"}},  // Extra Light sets no limit
    {Figure::ColourMaxDeltaE, 10.01, std::nullopt, S{"B"}, S{"Light"}},
    {Figure::ColourP90DeltaE, 13.0, 0, std::nullopt, std::nullopt},
    {Figure::SamplingEfficiency, 90.0, 3, S{"A"}, std::nullopt},
    {Figure::SamplingEfficiency, 79.9, 2, S{"C"}, std::nullopt},
    {Figure::Misregistration, 0.2, std::nullopt, std::nullopt, std::nullopt},
};

TEST(QualityLevels, BoundariesLandOnTheirLevel) {
    for (const GradeCase& c : kCases) {
        SCOPED_TRACE(::testing::Message() << "figure " << static_cast<int>(c.figure) << " value " << c.value.low
                                          << ".." << c.value.high);
        EXPECT_EQ(FadgiStars(c.figure, c.value), c.stars);
        EXPECT_EQ(IsoLevel(c.figure, c.value), c.iso);
        EXPECT_EQ(MetamorfozeLevel(c.figure, c.value), c.metamorfoze);
    }
}

TEST(QualityLevels, NotANumberMeetsNoLevel) {
    EXPECT_EQ(FadgiStars(Figure::NoiseL, std::nan("")), 0);
    EXPECT_EQ(IsoLevel(Figure::ToneDeltaL, std::nan("")), S{""});
}

TEST(QualityLevels, TheWeakestGradedFigureLimitsTheGrade) {
    const Measurements first{{Figure::ToneDeltaL, 1.0}, {Figure::NoiseL, 2.5}, {Figure::Uniformity, 9.0}};
    EXPECT_EQ(OverallFadgiStars(first), 2);
    EXPECT_EQ(OverallIsoLevel(first), S{""});
    EXPECT_EQ(OverallMetamorfozeLevel(first), S{""});
    const Measurements second{{Figure::ToneDeltaL, 2.5}, {Figure::SamplingRatePpi, 250.0}};
    EXPECT_EQ(OverallFadgiStars(second), 2);
    EXPECT_EQ(OverallIsoLevel(second), S{"B"});  // ISO does not grade the rate here
    EXPECT_EQ(OverallMetamorfozeLevel(second), S{""});
    EXPECT_EQ(OverallIsoLevel({{Figure::Uniformity, 1.0}}), std::nullopt);
}

// Every figure at the weakest level is named, and only the standards that grade a figure count it.
TEST(QualityGrades, TheLimitingFiguresAreThoseAtTheWeakestLevel) {
    const QualityGrades g = GradeFigures({{Figure::ToneDeltaL, 2.5},
                                          {Figure::NoiseL, 1.8},
                                          {Figure::SamplingRatePpi, 395.0},
                                          {Figure::Mtf50, 0.2}});
    ASSERT_EQ(g.figures.size(), 4u);
    EXPECT_EQ(g.figures[3].fadgiStars, std::nullopt);
    EXPECT_EQ(g.fadgi.fadgiStars, 3);
    EXPECT_EQ(g.fadgi.limiting, (std::vector<Figure>{Figure::ToneDeltaL, Figure::NoiseL, Figure::SamplingRatePpi}));
    EXPECT_EQ(g.iso.level, "B");
    EXPECT_EQ(g.iso.limiting, (std::vector<Figure>{Figure::ToneDeltaL, Figure::NoiseL}));
    EXPECT_EQ(g.metamorfoze.level, "Extra Light");
    EXPECT_EQ(g.metamorfoze.limiting, (std::vector<Figure>{Figure::ToneDeltaL, Figure::NoiseL}));
    const QualityGrades none = GradeFigures({{Figure::Mtf50, 0.2}});
    EXPECT_FALSE(none.fadgi.graded);
    EXPECT_TRUE(none.iso.limiting.empty());
    // At a standard's top level nothing holds the grade down; one step below it, the figure there does.
    const QualityGrades top = GradeFigures({{Figure::ToneDeltaL, 1.0}, {Figure::NoiseL, 0.9}});
    EXPECT_TRUE(top.fadgi.graded && top.fadgi.limiting.empty() && top.iso.limiting.empty());
    EXPECT_EQ(std::tie(top.fadgi.fadgiStars, top.iso.level, top.metamorfoze.level), std::make_tuple(4, "A", "Strict"));
    EXPECT_EQ(GradeFigures({{Figure::ToneDeltaL, 1.0}, {Figure::NoiseL, 1.0}}).fadgi.limiting, std::vector<Figure>{Figure::NoiseL});
    Figure back = Figure::ToneDeltaL;
    EXPECT_TRUE(FigureFromKey(FigureKey(Figure::Misregistration), &back));
    EXPECT_EQ(back, Figure::Misregistration);
    EXPECT_FALSE(FigureFromKey("no_such_figure", &back));
}

}  // namespace
}  // namespace calvix::quality
