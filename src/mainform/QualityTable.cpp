// The Quality page's rows: values as the operator reads them (per direction where the figure has
// two), the graded level per standard, and the figures that limit each standard's grade.
#include "mainform/QualityTable.h"

#include "analysis/ChartCheck.h"
#include "app/StringTable.h"
#include "profiling/ChartPatches.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <optional>

namespace calvix {

namespace {

using quality::Figure;

// A cross in the narrow level columns; the words are in its tool tip and in the limits lines.
const char* const kNotMet = "\u2717";

std::string Format(const char* format, double a, double b = 0.0) {
    char text[64];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

std::string WithPatch(double value, int patch) {
    char text[48];
    std::snprintf(text, sizeof text, "%.2f (GS%d)", value, patch);
    return text;
}

// A level the standard leaves blank holds anything: reaching it is no level met, and the page
// shows "-" as where the standard sets no limit at all.
bool SetsNoLimit(const quality::Band& band) { return band.min == -quality::kNoBound && band.max == quality::kNoBound; }

template <std::size_t N>
bool ReachedWithoutLimit(const std::optional<std::array<quality::Band, N>>& bands, int index) {
    return bands && index >= 0 && index < static_cast<int>(N) && SetsNoLimit((*bands)[static_cast<std::size_t>(index)]);
}

int IndexOfName(const std::optional<std::string>& level, std::initializer_list<const char*> names) {
    int index = 0;
    for (const char* name : names) {
        if (level && *level == name) return index;
        ++index;
    }
    return -1;
}

// Stars as FADGI prints them; a star count is what the page is read for.
std::string Stars(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "\u2605";
    return text;
}

QualityTextId LabelOf(Figure figure) {
    switch (figure) {
        case Figure::ToneDeltaL: return QualityTextTone;
        case Figure::GainModulationHighlights: return QualityTextGainHighlights;
        case Figure::GainModulationOther: return QualityTextGainOther;
        case Figure::NoiseL: return QualityTextNoise;
        case Figure::Uniformity: return QualityTextUniformity;
        case Figure::SamplingRatePpi: return QualityTextSamplingRate;
        case Figure::WhiteBalanceDeltaAb: return QualityTextWhiteBalance;
        case Figure::ColourMeanDeltaE: return QualityTextColourMean;
        case Figure::ColourMaxDeltaE: return QualityTextColourMax;
        case Figure::ColourP90DeltaE: return QualityTextColourP90;
        case Figure::SamplingEfficiency: return QualityTextSamplingEfficiency;
        case Figure::Mtf50: return QualityTextMtf50;
        case Figure::Misregistration: return QualityTextMisregistration;
    }
    return QualityTextNotMeasured;
}

class PageBuilder {
public:
    PageBuilder(const quality::SideQuality& side, int textBase) : side_(side), base_(textBase) {}

    std::string Text(QualityTextId id) const { return QualityText(base_, id); }

    // A graded figure's row; an empty value: not measured, with the reason as its detail. A value
    // without a grade is an edge's reason in place of its figure.
    void Add(Figure figure, const std::string& value, const std::string& error = {}) {
        QualityRow row;
        row.figure = Text(LabelOf(figure));
        const quality::LevelRow& levels = quality::LevelsOf(figure);
        const quality::GradedFigure* graded = Graded(figure);
        row.value = value.empty() ? Text(QualityTextNotMeasured) : LocalDecimals(value, base_);
        if (value.empty() || graded == nullptr) row.detail = error;
        if (graded == nullptr) {
            // Blank where a standard would grade it, "-" where it sets no limit.
            row.fadgi = levels.fadgi ? "" : "-";
            row.iso = levels.iso ? "" : "-";
            row.metamorfoze = levels.metamorfoze ? "" : "-";
        } else {
            row.fadgi = !graded->fadgiStars ? "-" : *graded->fadgiStars > 0 ? Stars(*graded->fadgiStars) : kNotMet;
            if (graded->fadgiStars && ReachedWithoutLimit(levels.fadgi, 4 - *graded->fadgiStars)) row.fadgi = "-";
            row.iso = Level(graded->iso);
            if (ReachedWithoutLimit(levels.iso, IndexOfName(graded->iso, {"A", "B", "C"}))) row.iso = "-";
            row.metamorfoze = Level(graded->metamorfoze);
            if (ReachedWithoutLimit(levels.metamorfoze,
                                    IndexOfName(graded->metamorfoze, {"Strict", "Light", "Extra Light"})))
                row.metamorfoze = "-";
        }
        rows_.push_back(std::move(row));
    }

    // A row no standard grades.
    void AddReported(QualityTextId label, const std::string& value) {
        rows_.push_back({Text(label),
                         value.empty() ? Text(QualityTextNotMeasured) : LocalDecimals(value, base_),
                         "-",
                         "-",
                         "-",
                         {}});
    }

    // The last row added is beyond what the method can measure: marked, the reason in its tip.
    void Doubt(const std::string& why) {
        QualityRow& row = rows_.back();
        row.doubtful = true;
        row.value += " \u26A0";
        row.detail = why;
    }

    std::string Limit(const char* standard, const quality::StandardGrade& grade, bool stars) const {
        std::string line = standard;
        if (!grade.graded) return line + ": " + Text(QualityTextNothingGraded);
        line += ": ";
        if (stars) line += grade.fadgiStars > 0 ? Stars(grade.fadgiStars) : Text(QualityTextNotMet);
        else line += grade.level.empty() ? Text(QualityTextNotMet) : grade.level;
        if (grade.limiting.empty()) return line;
        line += " \u2013 " + Text(QualityTextLimitedBy) + " ";
        for (std::size_t i = 0; i < grade.limiting.size(); ++i) {
            if (i > 0) line += ", ";
            line += Text(LabelOf(grade.limiting[i]));
        }
        return line;
    }

    std::vector<QualityRow> TakeRows() { return std::move(rows_); }

private:
    const quality::GradedFigure* Graded(Figure figure) const {
        for (const quality::GradedFigure& g : side_.grades.figures)
            if (g.figure == figure) return &g;
        return nullptr;
    }
    std::string Level(const std::optional<std::string>& level) const {
        if (!level) return "-";
        return level->empty() ? kNotMet : *level;
    }

    const quality::SideQuality& side_;
    int base_;
    std::vector<QualityRow> rows_;
};

// One direction's figure, or why the edge gave none ("too straight" being the one the operator
// can cure, by feeding the chart a little askew).
std::string DirectionText(const DirectionSharpness& d, const std::optional<double>& value, const char* format,
                          double scale, const PageBuilder& page) {
    if (value) return Format(format, *value * scale);
    if (d.status == EdgeStatus::TooStraight) return page.Text(QualityTextTooStraight);
    return "\u2013";
}

std::string PerDirection(const ChartSharpnessResult& s, const std::optional<double>& h,
                         const std::optional<double>& v, const char* format, double scale, const PageBuilder& page) {
    // A measured edge whose curve never falls to the level shows a dash: sharper than it can tell.
    const auto gave = [](const DirectionSharpness& d) {
        return d.status == EdgeStatus::Measured || d.status == EdgeStatus::TooStraight;
    };
    if (!gave(s.horizontal) && !gave(s.vertical)) return {};
    const std::string across = DirectionText(s.horizontal, h, format, scale, page);
    const std::string along = DirectionText(s.vertical, v, format, scale, page);
    // One reason for both directions is said once: the narrow column would wrap it line by line.
    if (!h && !v && across == along) return across;
    return across + " / " + along;
}

std::string SharpnessError(const ChartSharpnessResult& s) {
    return s.horizontal.message.empty() ? s.vertical.message : s.horizontal.message;
}

}  // namespace

std::string QualityText(int textBase, QualityTextId id) {
    std::string text = LookupText(textBase + id);
    return text.empty() ? LookupText(TextBaseEnglish + id) : text;
}

std::string LocalDecimals(std::string text, int textBase) {
    if (textBase != TextBaseGerman && textBase != TextBaseFrench) return text;
    // Only a point between two digits is a decimal point ("GS12", "px" and names are left alone).
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        const auto digit = [](char c) { return c >= '0' && c <= '9'; };
        if (text[i] == '.' && digit(text[i - 1]) && digit(text[i + 1])) text[i] = ',';
    }
    return text;
}

std::string RefusedChartText(int textBase, int checkCode) {
    const QualityTextId reason = checkCode == ChartGreyWedgeFailed ? QualityTextRefusedWedge : QualityTextRefusedFrame;
    return QualityText(textBase, QualityTextRefused) + ": " + QualityText(textBase, reason);
}

bool BeyondNyquist(const DirectionSharpness& direction) {
    constexpr double Nyquist = 0.5;
    for (const std::optional<double>& mtf50 : direction.mtf50)
        if (mtf50 && *mtf50 > Nyquist) return true;
    return false;
}

quality::Measurements GradedOnPage(const quality::SideQuality& side) {
    quality::Measurements figures = quality::FiguresOf(side);
    if (BeyondNyquist(side.sharpness.horizontal) || BeyondNyquist(side.sharpness.vertical))
        std::erase_if(figures, [](const auto& f) { return f.first == Figure::SamplingEfficiency; });
    return figures;
}

// The device maps each raw value through its tables, a bypass pixel being raw / 4 (see
// ThroughTables); a patch mean between two levels takes the delivered values in proportion.
quality::PixelDecoder ThroughDeviceTables(const ChannelTables& tables, quality::PixelDecoder decode) {
    const DeliveredValue deliver = ThroughTables(tables);
    const auto channel = [deliver](int c, double value) {
        const double v = std::clamp(value, 0.0, 255.0);
        const int low = static_cast<int>(v);
        const int high = std::min(low + 1, 255);
        return deliver(c, low) + (v - low) * (deliver(c, high) - deliver(c, low));
    };
    return [channel, decode = std::move(decode)](double r, double g, double b) {
        return decode(channel(0, r), channel(1, g), channel(2, b));
    };
}

QualityPageState EmptyQualityPage(int textBase, const std::string& hint) {
    QualityPageState page;
    page.visible = true;
    page.caption = QualityText(textBase, QualityTextCaption);
    page.headers = {QualityText(textBase, QualityTextFigure), QualityText(textBase, QualityTextValue), "FADGI", "ISO",
                    "Metam."};
    page.headerTips = {page.headers[0], page.headers[1], "FADGI 2023", "ISO 19264-1:2021", "Metamorfoze 2.0"};
    page.hint = hint;
    page.notMet = kNotMet;
    page.notMetTip = QualityText(textBase, QualityTextNotMet);
    return page;
}

QualityPageState QualityPageOf(const quality::SideQuality& side, const std::string& decoder, int textBase) {
    QualityPageState page = EmptyQualityPage(textBase, {});
    page.decoder = QualityText(textBase, QualityTextDecodedAs) + ": " + decoder;
    PageBuilder rows(side, textBase);

    const auto& tone = side.tone.figures;
    rows.Add(Figure::ToneDeltaL, tone ? WithPatch(tone->maxAbsDeltaL, tone->worstPatch) : "", side.tone.error);
    rows.Add(Figure::GainModulationHighlights,
             tone && tone->highlights.steps > 0 ? Format("%.2f \u2013 %.2f", tone->highlights.min, tone->highlights.max) : "",
             side.tone.error);
    rows.Add(Figure::GainModulationOther,
             tone && tone->other.steps > 0 ? Format("%.2f \u2013 %.2f", tone->other.min, tone->other.max) : "",
             side.tone.error);
    const auto& noise = side.noise.figures;
    rows.Add(Figure::NoiseL, noise ? WithPatch(noise->worstSigmaL, noise->worstPatch) : "", side.noise.error);
    const auto& balance = side.whiteBalance.figures;
    rows.Add(Figure::WhiteBalanceDeltaAb, balance ? WithPatch(balance->maxDeltaAb, balance->worstPatch) : "",
             side.whiteBalance.error);
    const ProfileFigures& colour = side.colour.figures;
    const bool colourMeasured = colour.patches > 0;
    const std::string noColour = rows.Text(QualityTextNoReference);
    // Without a reference file there is nothing to grade: a dash, the reason in the decoder line.
    const std::string dash = "\u2013";
    if (!colourMeasured) page.decoder += "; " + noColour;
    rows.Add(Figure::ColourMeanDeltaE, colourMeasured ? Format("%.2f", colour.mean) : dash, noColour);
    rows.Add(Figure::ColourMaxDeltaE, colourMeasured ? Format("%.2f", colour.max) + " (" + colour.worst + ")" : dash,
             noColour);
    rows.Add(Figure::ColourP90DeltaE, colourMeasured ? Format("%.2f", colour.p90) : dash, noColour);
    const auto& rate = side.sampling.figures;
    rows.Add(Figure::SamplingRatePpi, rate ? Format("%.1f / %.1f", rate->ppiX, rate->ppiY) : "", side.sampling.error);

    const ChartSharpnessResult& sharp = side.sharpness;
    const DirectionSharpness& h = sharp.horizontal;
    const DirectionSharpness& v = sharp.vertical;
    // Sampling efficiency follows from MTF10 in luminance, so MTF10 is shown in luminance too (the
    // row names each channel); MTF50 in green, as the reports give it.
    const bool beyond = BeyondNyquist(h) || BeyondNyquist(v);
    const std::string beyondText = rows.Text(QualityTextBeyondNyquist);
    rows.Add(Figure::SamplingEfficiency,
             PerDirection(sharp, h.samplingEfficiency[SfrLuminance], v.samplingEfficiency[SfrLuminance], "%.0f %%", 1.0,
                          rows),
             SharpnessError(sharp));
    if (beyond) rows.Doubt(beyondText);
    rows.Add(Figure::Mtf50, PerDirection(sharp, h.mtf50[SfrGreen], v.mtf50[SfrGreen], "%.3f", 1.0, rows),
             SharpnessError(sharp));
    if (beyond) rows.Doubt(beyondText);
    rows.AddReported(QualityTextMtf10,
                     PerDirection(sharp, h.mtf10[SfrLuminance], v.mtf10[SfrLuminance], "%.3f", 1.0, rows));
    if (beyond) {
        rows.Doubt(beyondText);
        page.warnings.push_back("\u26A0 " + beyondText);
    }
    double red = -1.0, blue = -1.0;
    for (const DirectionSharpness* d : {&h, &v}) {
        if (d->status != EdgeStatus::Measured) continue;
        red = std::max(red, std::abs(d->redShift));
        blue = std::max(blue, std::abs(d->blueShift));
    }
    rows.Add(Figure::Misregistration, red >= 0.0 ? Format("R %.2f / B %.2f px", red, blue) : "", SharpnessError(sharp));
    if (const auto& blank = side.uniformity.figures)
        rows.Add(Figure::Uniformity, Format("%.1f %%", std::abs(blank->maxDeviationPercent)));

    page.limits = {rows.Limit("FADGI", side.grades.fadgi, true), rows.Limit("ISO 19264-1", side.grades.iso, false),
                   rows.Limit("Metamorfoze", side.grades.metamorfoze, false)};
    page.rows = rows.TakeRows();
    return page;
}

}  // namespace calvix
