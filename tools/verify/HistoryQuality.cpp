// A gain range is kept as [min, max] and its drift shown by its end furthest from 1, the end the
// levels are decided by; every other figure is one number.
#include "HistoryQuality.h"

#include "QualityReport.h"

#include <algorithm>
#include <cmath>

namespace calvix::verify {

namespace {

using quality::Figure;

bool IsRange(Figure figure) {
    return figure == Figure::GainModulationHighlights || figure == Figure::GainModulationOther;
}

double DriftValue(Figure figure, const quality::FigureValue& value) {
    if (!IsRange(figure)) return value.low;
    return std::abs(value.low - 1.0) > std::abs(value.high - 1.0) ? value.low : value.high;
}

}  // namespace

void WriteQualityFigures(JsonWriter& w, const quality::SideQuality& q) {
    w.Key("quality").BeginObject();
    for (const quality::GradedFigure& f : q.grades.figures) {
        w.Key(quality::FigureKey(f.figure));
        if (IsRange(f.figure)) w.BeginArray().Number(f.value.low).Number(f.value.high).EndArray();
        else w.Number(f.value.low);
    }
    w.EndObject();
}

void ReadQualityFigures(const JsonValue& side, HistorySide& into) {
    const JsonValue* figures = side.Find("quality");
    if (figures == nullptr || figures->type != JsonValue::Type::Object) return;
    for (const JsonMember& member : figures->members) {
        Figure figure;
        if (!quality::FigureFromKey(member.name, &figure)) continue;
        const JsonValue& v = member.value;
        if (IsRange(figure) && v.type == JsonValue::Type::Array && v.items.size() == 2 &&
            v.items[0].type == JsonValue::Type::Number && v.items[1].type == JsonValue::Type::Number)
            into.figures.push_back({figure, {v.items[0].number, v.items[1].number}});
        else if (!IsRange(figure) && v.type == JsonValue::Type::Number)
            into.figures.push_back({figure, v.number});
    }
}

void PrintQualityTrend(const HistoryRead& history, std::FILE* out) {
    const std::size_t count = std::min(history.entries.size(), QualityDriftRuns);
    const std::size_t first = history.entries.size() - count;
    bool header = false;
    for (const char* name : {"front", "rear"}) {
        for (int f = 0; f <= static_cast<int>(Figure::Misregistration); ++f) {
            const auto figure = static_cast<Figure>(f);
            std::vector<double> values;
            std::string text;
            for (std::size_t i = first; i < history.entries.size(); ++i) {
                const HistorySide* side = history.entries[i].Side(name);
                const quality::FigureValue* found = nullptr;
                if (side != nullptr)
                    for (const auto& [which, value] : side->figures)
                        if (which == figure) found = &value;
                if (found == nullptr) {
                    text += " -";
                    continue;
                }
                values.push_back(DriftValue(figure, *found));
                text += " " + FigureValueText(figure, *found);
            }
            if (values.empty()) continue;
            if (!header) {
                std::fprintf(out, "image-quality figures, the last %zu run%s (oldest first), slope per run:\n", count,
                             count == 1 ? "" : "s");
                header = true;
            }
            std::fprintf(out, "  %-5s %-42s%s", name, quality::FigureLabel(figure), text.c_str());
            if (values.size() >= 2) std::fprintf(out, "  (slope %+.3f)", SlopePerRun(values));
            std::fputc('\n', out);
        }
    }
    if (!header) std::fprintf(out, "no image-quality figures in these runs (lines of older versions have none)\n");
}

}  // namespace calvix::verify
