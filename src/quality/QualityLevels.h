// The published limits that a scan's image-quality figures are graded against: FADGI 2023 stars,
// ISO 19264-1 levels and Metamorfoze levels, one table to hold against the printed ones, and the
// grading of measured values, where the weakest figure limits the overall grade.
#pragma once

#include <array>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace calvix::quality {

// Sources, as consulted:
//  - FADGI: Technical Guidelines for Digitizing Cultural Heritage Materials, 3rd edition (2023),
//    category "Bound General Collections" (text documents and books on paper: the closest the
//    guidelines come to an A5 sheet of printed matter through a document scanner).
//  - ISO 19264-1:2021, Photography - Archiving systems - Imaging systems quality analysis -
//    Reflective originals, Annex B (aims and tolerances), levels A, B, C.
//  - Metamorfoze Preservation Imaging Guidelines, version 2.0 (draft, June 2023): Strict (named
//    "Full" in the draft), Light, Extra Light.
// The numbers are those of the comparison table "Tabela porownawcza: FADGI/ISO/Metamorfoze"
// (skandalski.pl/tabela-fadgi-iso-metamorfoze), which sets the three side by side; the
// Metamorfoze highlight gain (0.8 - 1.1 at every level) agrees with preservationimaging.com
// (Version 2.0), the tone and white-balance ones with quality/AuditLevels. Colour accuracy is
// graded on CIEDE2000 over the chart's colour patches; white balance on the largest distance of a
// grey from its reference in the a*b* plane.
enum class Figure {
    ToneDeltaL,                // largest |delta L*| over the grey wedge (OECF)
    GainModulationHighlights,  // minimum and maximum gain over the light greys
    GainModulationOther,       // minimum and maximum gain over the rest of the wedge
    NoiseL,                    // largest standard deviation of L* in a grey patch
    Uniformity,                // largest deviation of local luminance from the page mean, percent
    SamplingRatePpi,           // the lower of the measured rates across and along, ppi
    WhiteBalanceDeltaAb,       // largest distance of a grey patch from its reference in a*b*
    ColourMeanDeltaE,          // CIEDE2000 over the colour patches: mean, largest, 90th percentile
    ColourMaxDeltaE,
    ColourP90DeltaE,
    SamplingEfficiency,        // MTF10 as a share of Nyquist, percent, the lower direction (luminance)
    Mtf50,                     // cycles per pixel, green, the lower direction: graded by none
    Misregistration,           // largest red or blue shift against green, pixels
};

inline constexpr double kNoBound = std::numeric_limits<double>::infinity();

// A level holds a value when min <= value <= max; strict levels need min < value < max, as
// FADGI writes its one-sided limits ("< 1.5"). A gain range holds when both its ends lie inside.
struct Band {
    double min = -kNoBound;
    double max = kNoBound;
    bool strict = false;
};

// Best level first. An empty optional: the standard sets no limit on the figure (or the
// consulted table gives none), and the figure does not count towards that standard's grade.
struct LevelRow {
    Figure figure;
    std::optional<std::array<Band, 4>> fadgi;  // 4 stars .. 1 star
    std::optional<std::array<Band, 3>> iso;    // A, B, C
    std::optional<std::array<Band, 3>> metamorfoze;  // Strict, Light, Extra Light
};

constexpr Band Below(double limit) { return {-kNoBound, limit, true}; }
constexpr Band AtMost(double limit) { return {-kNoBound, limit, false}; }
constexpr Band AtLeast(double limit) { return {limit, kNoBound, false}; }
constexpr Band Within(double low, double high) { return {low, high, false}; }
constexpr Band Above(double limit) { return {limit, kNoBound, true}; }
// A level the table leaves blank while its neighbours have limits: anything holds there.
constexpr Band Unbounded() { return {}; }

inline constexpr std::array<LevelRow, 13> kLevelTable{{
    // Tone response, delta L*: FADGI < 1.5, 3, 4.5, 6; ISO <= 2, 3, 4; Metamorfoze <= 2, 2, 4.
    {Figure::ToneDeltaL, std::array{Below(1.5), Below(3.0), Below(4.5), Below(6.0)},
     std::array{AtMost(2.0), AtMost(3.0), AtMost(4.0)}, std::array{AtMost(2.0), AtMost(2.0), AtMost(4.0)}},
    // Gain modulation, highlights: FADGI 0.8-1.1, 0.7-1.2, 0.6-1.3, 0.5-1.4; ISO 0.8-1.1, 0.7-1.2,
    // 0.6-1.3; Metamorfoze 0.8-1.1 at every level.
    {Figure::GainModulationHighlights,
     std::array{Within(0.8, 1.1), Within(0.7, 1.2), Within(0.6, 1.3), Within(0.5, 1.4)},
     std::array{Within(0.8, 1.1), Within(0.7, 1.2), Within(0.6, 1.3)},
     std::array{Within(0.8, 1.1), Within(0.8, 1.1), Within(0.8, 1.1)}},
    // Gain modulation, other greys: ISO 0.7-1.3, 0.6-1.4, 0.3-1.6; Metamorfoze 0.7-1.2, 0.7-1.2,
    // 0.6-1.3. The table lists FADGI's as 0.25-1.7, 0.3-1.6, 0.6-1.4, 0.7-1.3 under 4..1 stars:
    // read here in the other order (4 stars the narrowest), since a 4-star band wider than the
    // 1-star one grades nothing and the highlight row has FADGI 4..2 stars equal to ISO A..C.
    {Figure::GainModulationOther,
     std::array{Within(0.7, 1.3), Within(0.6, 1.4), Within(0.3, 1.6), Within(0.25, 1.7)},
     std::array{Within(0.7, 1.3), Within(0.6, 1.4), Within(0.3, 1.6)},
     std::array{Within(0.7, 1.2), Within(0.7, 1.2), Within(0.6, 1.3)}},
    // Noise, RMS L*: FADGI < 1, 2, 3, 4; ISO <= 1.6, 2, 2.2; Metamorfoze <= 1.6, 1.6, 2.
    {Figure::NoiseL, std::array{Below(1.0), Below(2.0), Below(3.0), Below(4.0)},
     std::array{AtMost(1.6), AtMost(2.0), AtMost(2.2)}, std::array{AtMost(1.6), AtMost(1.6), AtMost(2.0)}},
    // Illuminance non-uniformity: none of the consulted sources gives the 2023 / 2021 / 2.0
    // figures, so no standard grades it here until they are read from the documents themselves.
    {Figure::Uniformity, std::nullopt, std::nullopt, std::nullopt},
    // Sampling rate: FADGI asks 400 ppi - 1 %, 300 - 2 %, 250 - 3 %, 200 - 5 % (>= 396, 294,
    // 242.5, 190 ppi); Metamorfoze 300 ppi at every level for originals of A5 and larger, with no
    // tolerance given (taken as a lower bound); the table gives no ISO rate.
    {Figure::SamplingRatePpi, std::array{AtLeast(396.0), AtLeast(294.0), AtLeast(242.5), AtLeast(190.0)},
     std::nullopt, std::array{AtLeast(300.0), AtLeast(300.0), AtLeast(300.0)}},
    // White balance, delta E(a*b*): FADGI < 2, 4, 6, 8; ISO <= 3, 4, 5; Metamorfoze <= 3, 3, 5.
    {Figure::WhiteBalanceDeltaAb, std::array{Below(2.0), Below(4.0), Below(6.0), Below(8.0)},
     std::array{AtMost(3.0), AtMost(4.0), AtMost(5.0)}, std::array{AtMost(3.0), AtMost(3.0), AtMost(5.0)}},
    // Colour accuracy, mean: FADGI < 2, 3.5, 5, 6.5; ISO <= 4, 5, 5; Metamorfoze <= 3, 4 and no
    // limit at Extra Light.
    {Figure::ColourMeanDeltaE, std::array{Below(2.0), Below(3.5), Below(5.0), Below(6.5)},
     std::array{AtMost(4.0), AtMost(5.0), AtMost(5.0)}, std::array{AtMost(3.0), AtMost(4.0), Unbounded()}},
    // Colour accuracy, largest: ISO <= 10, 15, 15; Metamorfoze <= 7, 14, none. The table's FADGI
    // cells read "> 0.25" at every level, a lower bound that says nothing about a largest error,
    // so FADGI's colour grade rests on its mean and 90th-percentile rows alone.
    {Figure::ColourMaxDeltaE, std::nullopt, std::array{AtMost(10.0), AtMost(15.0), AtMost(15.0)},
     std::array{AtMost(7.0), AtMost(14.0), Unbounded()}},
    // Colour accuracy, 90th percentile: FADGI < 4, 7, 10, 13; the others set none.
    {Figure::ColourP90DeltaE, std::array{Below(4.0), Below(7.0), Below(10.0), Below(13.0)}, std::nullopt,
     std::nullopt},
    // Sampling efficiency (MTF10 against Nyquist): FADGI > 90, 80, 70, 60 %; ISO >= 85, 80, 70 %.
    // The consulted table breaks off after Metamorfoze's first cell, so Metamorfoze is left out.
    {Figure::SamplingEfficiency, std::array{Above(90.0), Above(80.0), Above(70.0), Above(60.0)},
     std::array{AtLeast(85.0), AtLeast(80.0), AtLeast(70.0)}, std::nullopt},
    // MTF50 is reported for the SFR curve's sake; the guidelines grade sampling efficiency.
    {Figure::Mtf50, std::nullopt, std::nullopt, std::nullopt},
    // Colour channel misregistration: the consulted table ends before it, so it is reported, not
    // graded, until the limits are read from the documents themselves.
    {Figure::Misregistration, std::nullopt, std::nullopt, std::nullopt},
}};

// A measured figure: one value, or a gain's minimum and maximum.
struct FigureValue {
    double low;
    double high;
    FigureValue(double value) : low(value), high(value) {}  // NOLINT: a single value reads naturally
    FigureValue(double minimum, double maximum) : low(minimum), high(maximum) {}
};

const LevelRow& LevelsOf(Figure figure);

// 4..1 stars, 0 when no level is met (or the value is not finite); none when FADGI sets no limit.
std::optional<int> FadgiStars(Figure figure, FigureValue value);
// "A", "B", "C", or "" when no level is met; none when ISO 19264-1 sets no limit.
std::optional<std::string> IsoLevel(Figure figure, FigureValue value);
// "Strict", "Light", "Extra Light", or "" when no level is met; none when Metamorfoze sets no limit.
std::optional<std::string> MetamorfozeLevel(Figure figure, FigureValue value);

// The weakest figure limits the grade: the lowest stars / the weakest level over the figures the
// standard grades; none when it grades none of them.
using Measurements = std::vector<std::pair<Figure, FigureValue>>;
std::optional<int> OverallFadgiStars(const Measurements& measured);
std::optional<std::string> OverallIsoLevel(const Measurements& measured);
std::optional<std::string> OverallMetamorfozeLevel(const Measurements& measured);

}  // namespace calvix::quality
