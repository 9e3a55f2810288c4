// The report and history JSON. Levels are integers; derived values carry four decimals.
#include "VerifyReport.h"

#include "QualityNames.h"
#include "HistoryQuality.h"
#include "JsonText.h"
#include "QualityReport.h"

#include <algorithm>

namespace calvix::verify {

namespace {

void Triple(JsonWriter& w, const char* key, const std::array<int, 3>& v) {
    w.Key(key).BeginArray().Integer(v[0]).Integer(v[1]).Integer(v[2]).EndArray();
}

void Triple(JsonWriter& w, const char* key, const std::array<double, 3>& v) {
    w.Key(key).BeginArray().Number(v[0]).Number(v[1]).Number(v[2]).EndArray();
}

void LabValue(JsonWriter& w, const char* key, const Lab& lab) {
    w.Key(key).BeginArray().Number(lab.L).Number(lab.a).Number(lab.b).EndArray();
}

void Names(JsonWriter& w, const char* key, const std::vector<std::string>& names) {
    w.Key(key).BeginArray();
    for (const std::string& name : names) w.String(name);
    w.EndArray();
}

void OptionalText(JsonWriter& w, const char* key, const std::string& text) {
    w.Key(key);
    if (text.empty()) w.Null();
    else w.String(text);
}

void Side(JsonWriter& w, const SideResult& side) {
    w.BeginObject();
    w.Key("side").String(side.name);
    OptionalText(w, "scan", side.scanPath);
    OptionalText(w, "error", side.error);
    w.Key("chart_check").Integer(side.chartCode);
    w.Key("chart_check_meaning").String(ChartCodeMeaning(side.chartCode));
    Names(w, "messages", side.messages);
    w.Key("measured").Bool(side.Measured());
    w.Key("pass").Bool(side.Passed());
    if (!side.Measured()) {
        w.EndObject();
        return;
    }
    const GreyEvaluation& g = side.grey;
    w.Key("grey_patches").BeginArray();
    for (std::size_t k = 0; k < g.patches.size(); ++k) {
        const GreyPatchResult& p = g.patches[k];
        w.BeginObject().Key("patch").String("GS" + std::to_string(k));
        Triple(w, "reference", p.reference);
        Triple(w, "measured", p.measured);
        Triple(w, "difference", p.difference);
        LabValue(w, "reference_lab", p.referenceLab);
        LabValue(w, "measured_lab", p.measuredLab);
        w.Key("delta_l").Number(p.deltaL).Key("delta_ab").Number(p.deltaAb).EndObject();
    }
    w.EndArray();
    Triple(w, "mean_abs_difference", g.meanAbs);
    Triple(w, "max_abs_difference", g.maxAbs);
    Names(w, "out_of_tolerance", g.outOfTolerance);
    Names(w, "above_mean_limit", g.aboveMean);
    w.Key("tone").BeginObject().Key("mean_abs_delta_l").Number(g.meanAbsDeltaL);
    w.Key("max_abs_delta_l").Number(g.maxAbsDeltaL);
    w.Key("fadgi_stars").Integer(side.fadgiToneStars);
    OptionalText(w, "iso19264_level", side.isoToneLevel);
    w.EndObject();
    w.Key("white_balance").BeginObject().Key("mean_delta_ab").Number(g.meanDeltaAb);
    w.Key("max_delta_ab").Number(g.maxDeltaAb).Key("fadgi_stars").Integer(side.fadgiWhiteBalanceStars).EndObject();
    const ProfileFigures& c = side.colour.figures;
    w.Key("delta_e2000").BeginObject().Key("patches").Integer(c.patches).Key("mean").Number(c.mean);
    w.Key("max").Number(c.max).Key("p90").Number(c.p90);
    OptionalText(w, "worst_patch", c.worst);
    w.Key("encoding").String(side.colour.encoding).Key("encoding_kind").String(side.colour.encodingKind);
    OptionalText(w, "profile", side.colour.profilePath);
    w.EndObject();
    w.Key("colour_patches").BeginArray();
    for (const ColourPatchReading& p : side.colour.patches) {
        w.BeginObject().Key("patch").String(p.name);
        Triple(w, "rgb", p.rgb);
        LabValue(w, "measured_lab", p.measured);
        LabValue(w, "reference_lab", p.reference);
        w.Key("delta_e2000").Number(p.deltaE).EndObject();
    }
    w.EndArray();
    w.Key("quality");
    if (side.quality) QualityJson(w, *side.quality);
    else w.Null();
    if (side.madeProfile) {
        const MadeProfile& made = *side.madeProfile;
        w.Key("profile_made").BeginObject();
        OptionalText(w, "file", made.path);
        OptionalText(w, "error", made.error);
        OptionalText(w, "kind", made.kind);
        w.Key("fit").BeginObject().Key("mean").Number(made.fit.mean).Key("p90").Number(made.fit.p90);
        w.Key("max").Number(made.fit.max).EndObject();
        w.EndObject();
    }
    w.EndObject();
}

}  // namespace

bool VerifyResult::Passed() const {
    return !sides.empty() && std::all_of(sides.begin(), sides.end(), [](const SideResult& s) { return s.Passed(); });
}

bool VerifyResult::RecordOfOtherScanner() const {
    // The record keeps at most 19 characters of the serial.
    return record && !scanner.serial.empty() && record->serial != scanner.serial.substr(0, 19);
}

double WorstMean(const GreyEvaluation& grey) { return *std::max_element(grey.meanAbs.begin(), grey.meanAbs.end()); }
int WorstMax(const GreyEvaluation& grey) { return *std::max_element(grey.maxAbs.begin(), grey.maxAbs.end()); }

std::string ReportJson(const VerifyResult& r) {
    JsonWriter w;
    w.BeginObject();
    w.Key("schema").String(ReportSchema);
    w.Key("tool_version").String(r.toolVersion);
    w.Key("verified_at").String(r.verifiedAt);
    w.Key("scanner").BeginObject();
    OptionalText(w, "serial", r.scanner.serial);
    OptionalText(w, "model", r.scanner.model);
    w.Key("duplex").Bool(r.scanner.duplex).Key("offline").Bool(r.scanner.offline).EndObject();
    w.Key("reference").BeginObject().Key("file").String(r.batch.file);
    w.Key("batch").BeginObject();
    for (const auto& [key, value] : r.batch.keywords) w.Key(key).String(value);
    w.EndObject();
    w.Key("gamma").Number(r.gamma, 2).Key("adapt_d65").Bool(r.adaptD65);
    w.Key("lab_from_file").Integer(r.batch.labFromFile).EndObject();
    w.Key("lut_record");
    if (r.record) {
        w.BeginObject().Key("file").String(r.record->file).Key("sides").Integer(r.record->sides);
        w.Key("serial").String(r.record->serial).Key("time_stamp").String(r.record->timeStamp);
        w.Key("version").String(r.record->version).Key("of_this_scanner").Bool(!r.RecordOfOtherScanner());
        w.EndObject();
    } else {
        w.Null();
    }
    w.Key("thresholds").BeginObject().Key("mean_abs_levels").Number(r.thresholds.meanLevels, 2);
    w.Key("max_abs_levels").Integer(r.thresholds.maxLevels).EndObject();
    w.Key("verdict").String(r.Passed() ? "pass" : "fail");
    w.Key("sides").BeginArray();
    for (const SideResult& side : r.sides) Side(w, side);
    w.EndArray();
    w.EndObject();
    return w.Text();
}

std::string HistoryLine(const VerifyResult& r) {
    JsonWriter w;
    w.BeginObject().Key("schema").String(HistorySchema).Key("verified_at").String(r.verifiedAt);
    w.Key("serial").String(r.scanner.serial).Key("verdict").String(r.Passed() ? "pass" : "fail");
    w.Key("sides").BeginArray();
    for (const SideResult& side : r.sides) {
        w.BeginObject().Key("side").String(side.name);
        if (side.Measured()) {
            Triple(w, "mean", side.grey.meanAbs);
            Triple(w, "max", side.grey.maxAbs);
            w.Key("delta_e2000_mean").Number(side.colour.figures.mean);
            // Older lines read the patches as sRGB and have no kind; the figures differ by it.
            w.Key("colour_encoding").String(side.colour.encodingKind);
            if (side.quality) WriteQualityFigures(w, *side.quality);
        } else {
            w.Key("error").String(side.error.empty() ? ChartCodeMeaning(side.chartCode) : side.error);
        }
        w.EndObject();
    }
    w.EndArray().EndObject();
    return w.Text();
}

}  // namespace calvix::verify
