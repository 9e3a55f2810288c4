// The printed summary; numbers as the report JSON holds them, rounded for reading.
#include "VerifySummary.h"

#include "QualityNames.h"
#include "QualityReport.h"

#include <algorithm>

namespace calvix::verify {

namespace {

std::string Join(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

std::string SideFault(const SideResult& side, const GreyThresholds& t) {
    if (!side.error.empty()) return side.error;
    if (!side.Measured()) return "chart check failed (" + ChartCodeMeaning(side.chartCode) + ")";
    const GreyEvaluation& g = side.grey;
    std::string text;
    char limit[32];
    if (side.chartCode != 0) text = ChartCodeMeaning(side.chartCode);
    if (!g.outOfTolerance.empty())
        text += (text.empty() ? "" : ", ") + Join(g.outOfTolerance) + " beyond " + std::to_string(t.maxLevels) + " levels";
    std::snprintf(limit, sizeof limit, "%.2f", t.meanLevels);
    const double mean = WorstMean(g);
    if (mean > t.meanLevels) {
        char m[32];
        std::snprintf(m, sizeof m, "%.2f", mean);
        text += (text.empty() ? "" : ", ") + std::string("mean |difference| ") + m + " above " + limit + " levels";
        if (!g.aboveMean.empty()) text += " (" + Join(g.aboveMean) + ")";
    }
    return text;
}

}  // namespace

std::string VerdictText(const VerifyResult& result) {
    if (result.Passed()) return "PASS";
    std::string text = "FAIL:";
    bool first = true;
    for (const SideResult& side : result.sides) {
        if (side.Passed()) continue;
        text += std::string(first ? " " : "; ") + side.name + ": " + SideFault(side, result.thresholds);
        first = false;
    }
    if (result.sides.empty()) text += " no side measured";
    return text;
}

void PrintSummary(const VerifyResult& result, std::FILE* out) {
    for (const SideResult& side : result.sides) {
        std::fprintf(out, "%s side%s%s\n", side.name.c_str(), side.scanPath.empty() ? "" : ": ",
                     side.scanPath.c_str());
        if (!side.Measured()) {
            std::fprintf(out, "  %s\n", side.error.empty() ? ChartCodeMeaning(side.chartCode).c_str() : side.error.c_str());
            for (const std::string& message : side.messages) std::fprintf(out, "  message: %s\n", message.c_str());
            continue;
        }
        if (side.chartCode != 0) {
            std::fprintf(out, "  %s\n", ChartCodeMeaning(side.chartCode).c_str());
            for (const std::string& message : side.messages) std::fprintf(out, "  message: %s\n", message.c_str());
        }
        const GreyEvaluation& g = side.grey;
        std::fprintf(out, "  %-5s %-13s %-13s %-13s %7s\n", "patch", "reference", "measured", "difference", "dL*");
        for (std::size_t k = 0; k < g.patches.size(); ++k) {
            const GreyPatchResult& p = g.patches[k];
            std::fprintf(out, "  GS%-3zu %3d %3d %3d   %3d %3d %3d   %+3d %+3d %+3d  %+7.2f\n", k, p.reference[0],
                         p.reference[1], p.reference[2], p.measured[0], p.measured[1], p.measured[2], p.difference[0],
                         p.difference[1], p.difference[2], p.deltaL);
        }
        std::fprintf(out, "  mean |difference| R %.2f G %.2f B %.2f, max R %d G %d B %d levels\n", g.meanAbs[0],
                     g.meanAbs[1], g.meanAbs[2], g.maxAbs[0], g.maxAbs[1], g.maxAbs[2]);
        // These two read the wedge through the calibration's own encoding, as the pass rule does;
        // the quality table below reads it through the side's encoding in force.
        std::fprintf(out, "  tone (calibration reference encoding): max |dL*| %.2f (mean %.2f): FADGI %s, ISO 19264-1 %s\n", g.maxAbsDeltaL,
                     g.meanAbsDeltaL, StarsText(side.fadgiToneStars).c_str(),
                     side.isoToneLevel.empty() ? "no level" : ("level " + side.isoToneLevel).c_str());
        std::fprintf(out, "  white balance (calibration reference encoding): max dE(a*b*) %.2f (mean %.2f): FADGI %s\n", g.maxDeltaAb, g.meanDeltaAb,
                     StarsText(side.fadgiWhiteBalanceStars).c_str());
        const ProfileFigures& c = side.colour.figures;
        std::fprintf(out, "  colour patches (information), read through %s:\n", side.colour.encoding.c_str());
        std::fprintf(out, "    dE2000 over %d patches: mean %.2f, max %.2f (%s), 90th percentile %.2f\n", c.patches,
                     c.mean, c.max, c.worst.c_str(), c.p90);
        if (side.quality) PrintQuality(*side.quality, out);
        else if (!side.qualityError.empty()) std::fprintf(out, "  image quality not measured: %s\n", side.qualityError.c_str());
    }
}

void PrintVerdict(const VerifyResult& result, std::FILE* out, const char* unwritten) {
    if (unwritten && result.Passed()) {
        std::fprintf(out, "verdict: INCOMPLETE: the sides pass, but %s was not written (see above)\n", unwritten);
        return;
    }
    std::fprintf(out, "verdict: %s\n", VerdictText(result).c_str());
}

}  // namespace calvix::verify
