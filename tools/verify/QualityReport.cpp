// The figures' texts. The JSON keeps each figure's value as measured and its levels, plus the
// measurements (per direction, the blank page) that the figures are taken from.
#include "QualityReport.h"

#include "quality/AuditLevels.h"

namespace calvix::verify {

namespace {

using quality::Figure;

std::string Fixed(double value, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

int DecimalsOf(Figure figure) {
    switch (figure) {
        case Figure::SamplingRatePpi:
        case Figure::SamplingEfficiency:
            return 1;
        case Figure::Mtf50:
        case Figure::GainModulationHighlights:
        case Figure::GainModulationOther:
            return 3;
        default:
            return 2;
    }
}

bool IsRange(Figure figure) {
    return figure == Figure::GainModulationHighlights || figure == Figure::GainModulationOther;
}

void OptionalLevel(JsonWriter& w, const char* key, const std::optional<std::string>& level) {
    w.Key(key);
    if (level) w.String(*level);
    else w.Null();
}

void Grade(JsonWriter& w, const char* key, const quality::StandardGrade& grade, bool fadgi) {
    w.Key(key);
    if (!grade.graded) {
        w.Null();
        return;
    }
    w.BeginObject();
    if (fadgi) w.Key("stars").Integer(grade.fadgiStars);
    else w.Key("level").String(grade.level);
    w.Key("limited_by").BeginArray();
    for (Figure f : grade.limiting) w.String(quality::FigureKey(f));
    w.EndArray().EndObject();
}

void Direction(JsonWriter& w, const char* key, const DirectionSharpness& d) {
    w.Key(key).BeginObject().Key("status").String(EdgeStatusText(d.status));
    w.Key("sides").Integer(d.sides);
    static const char* kChannels[SfrChannelCount] = {"red", "green", "blue", "luminance"};
    for (const char* figure : {"mtf50_cy_px", "mtf10_cy_px", "sampling_efficiency_percent"}) {
        w.Key(figure).BeginObject();
        for (int c = 0; c < SfrChannelCount; ++c) {
            const auto& values = figure[3] == '5' ? d.mtf50 : figure[3] == '1' ? d.mtf10 : d.samplingEfficiency;
            const std::optional<double>& v = values[static_cast<std::size_t>(c)];
            w.Key(kChannels[c]);
            if (v) w.Number(*v);
            else w.Null();
        }
        w.EndObject();
    }
    w.Key("red_shift_px").Number(d.redShift).Key("blue_shift_px").Number(d.blueShift).EndObject();
}

}  // namespace

std::string FigureValueText(Figure figure, const quality::FigureValue& value) {
    const int decimals = DecimalsOf(figure);
    if (IsRange(figure)) return Fixed(value.low, decimals) + ".." + Fixed(value.high, decimals);
    return Fixed(value.low, decimals);
}

std::string GradeText(const quality::StandardGrade& grade, bool fadgi) {
    if (!grade.graded) return "not graded";
    std::string text = fadgi ? quality::FadgiText(grade.fadgiStars) : quality::LevelText(grade.level);
    std::string names;
    if (grade.limiting.empty()) return text + " (every graded figure at the top level)";
    for (Figure f : grade.limiting) names += (names.empty() ? "" : "; ") + std::string(quality::FigureLabel(f));
    return text + " (limited by " + names + ")";
}

void PrintQuality(const quality::SideQuality& q, std::FILE* out) {
    std::fprintf(out, "  image quality, read through %s:\n", q.decoderName.c_str());
    std::fprintf(out, "    %-42s %12s  %-8s %-8s %s\n", "figure", "value", "FADGI", "ISO", "Metamorfoze");
    for (const quality::GradedFigure& f : q.grades.figures)
        std::fprintf(out, "    %-42s %12s  %-8s %-8s %s\n", quality::FigureLabel(f.figure),
                     FigureValueText(f.figure, f.value).c_str(), quality::FadgiText(f.fadgiStars).c_str(),
                     quality::LevelText(f.iso).c_str(), quality::LevelText(f.metamorfoze).c_str());
    for (const auto* reason : {&q.tone.error, &q.noise.error, &q.whiteBalance.error, &q.sampling.error, &q.uniformity.error})
        if (!reason->empty()) std::fprintf(out, "    not measured: %s\n", reason->c_str());
    if (const auto& rate = q.sampling.figures)
        std::fprintf(out, "    sampling rate across %.1f ppi (%+.2f %%), along %.1f ppi (%+.2f %%)\n", rate->ppiX,
                     rate->deviationXPercent, rate->ppiY, rate->deviationYPercent);
    const DirectionSharpness* directions[2] = {&q.sharpness.horizontal, &q.sharpness.vertical};
    for (int d = 0; d < 2; ++d) {
        const DirectionSharpness& dir = *directions[d];
        const char* name = d == 0 ? "across (x)" : "along (y)";
        if (dir.status != EdgeStatus::Measured) {
            std::fprintf(out, "    sharpness %s: not measured (%s)\n", name, dir.message.c_str());
            continue;
        }
        const auto green50 = dir.mtf50[SfrGreen], green10 = dir.mtf10[SfrGreen];
        std::fprintf(out, "    sharpness %s: MTF50 %s, MTF10 %s cy/px (green); red %+.2f px, blue %+.2f px\n", name,
                     // No figure: the response never falls that low up to 1 cycle per pixel.
                     green50 ? Fixed(*green50, 3).c_str() : "above 1", green10 ? Fixed(*green10, 3).c_str() : "above 1",
                     dir.redShift, dir.blueShift);
    }
    if (const auto& page = q.uniformity.figures)
        std::fprintf(out, "    blank page: light lost at the corners %.2f %%, edges x %.2f %%, y %.2f %%\n",
                     page->meanCornerLossPercent, page->edgeLossXPercent, page->edgeLossYPercent);
    std::fprintf(out, "    (-: the standard sets no limit on the figure)\n");
    std::fprintf(out, "    grade: FADGI %s\n", GradeText(q.grades.fadgi, true).c_str());
    std::fprintf(out, "           ISO 19264-1 %s\n", GradeText(q.grades.iso, false).c_str());
    std::fprintf(out, "           Metamorfoze %s\n", GradeText(q.grades.metamorfoze, false).c_str());
}

void QualityJson(JsonWriter& w, const quality::SideQuality& q) {
    w.BeginObject().Key("encoding").String(q.decoderName);
    w.Key("figures").BeginArray();
    for (const quality::GradedFigure& f : q.grades.figures) {
        w.BeginObject().Key("figure").String(quality::FigureKey(f.figure));
        if (IsRange(f.figure)) w.Key("min").Number(f.value.low).Key("max").Number(f.value.high);
        else w.Key("value").Number(f.value.low);
        w.Key("fadgi_stars");
        if (f.fadgiStars) w.Integer(*f.fadgiStars);
        else w.Null();
        OptionalLevel(w, "iso19264_level", f.iso);
        OptionalLevel(w, "metamorfoze_level", f.metamorfoze);
        w.EndObject();
    }
    w.EndArray();
    w.Key("grades").BeginObject();
    Grade(w, "fadgi", q.grades.fadgi, true);
    Grade(w, "iso19264", q.grades.iso, false);
    Grade(w, "metamorfoze", q.grades.metamorfoze, false);
    w.EndObject();
    w.Key("sampling_rate");
    if (const auto& rate = q.sampling.figures)
        w.BeginObject().Key("ppi_x").Number(rate->ppiX).Key("ppi_y").Number(rate->ppiY).EndObject();
    else
        w.Null();
    w.Key("sharpness").BeginObject();
    Direction(w, "horizontal", q.sharpness.horizontal);
    Direction(w, "vertical", q.sharpness.vertical);
    w.EndObject();
    w.Key("uniformity");
    if (const auto& page = q.uniformity.figures) {
        w.BeginObject().Key("max_deviation_percent").Number(page->maxDeviationPercent);
        w.Key("corner_loss_percent").Number(page->meanCornerLossPercent);
        w.Key("edge_loss_x_percent").Number(page->edgeLossXPercent);
        w.Key("edge_loss_y_percent").Number(page->edgeLossYPercent).EndObject();
    } else {
        w.Null();
    }
    w.Key("not_measured").BeginArray();
    for (const auto* reason : {&q.tone.error, &q.noise.error, &q.whiteBalance.error, &q.sampling.error, &q.uniformity.error})
        if (!reason->empty()) w.String(*reason);
    w.EndArray().EndObject();
}

}  // namespace calvix::verify
