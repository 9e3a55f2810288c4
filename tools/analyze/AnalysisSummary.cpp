// Summary printing: plain aligned text, one block per side.
#include "AnalysisSummary.h"

#include "PrintableText.h"
#include "analysis/ScanBitmap.h"
#include "calibration/CorrectionTypes.h"
#include "calibration/GreyDifference.h"

#include <string>

namespace calvix::analyze {

namespace {

const char* YesNo(bool value) { return value ? "yes" : "NO"; }

// Message-box texts span lines; the summary keeps each on one.
std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            if (!line.empty() && line.back() != ' ') line += ' ';
        } else {
            line += c;
        }
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

void PrintCorners(const SideReport& side, std::FILE* out) {
    if (!side.cornersValid) {
        std::fprintf(out, "  corners:   not found\n");
        return;
    }
    const char* names[4] = {"upper left", "upper right", "lower left", "lower right"};
    std::fprintf(out, "  corners:  ");
    for (std::size_t i = 0; i < 4; ++i) {
        std::fprintf(out, " %s (%d, %d)%s", names[i], side.corners[i].x, side.corners[i].y, i < 3 ? "," : "\n");
    }
}

void PrintGreys(const SideReport& side, std::FILE* out) {
    std::fprintf(out, "  grey    measured R   G   B    reference R   G   B\n");
    for (std::size_t k = 0; k < side.measured.size(); ++k) {
        const PackedColour m = side.measured[k];
        const PackedColour r = side.reference[k];
        std::fprintf(out, "  GS%-2zu           %3d %3d %3d              %3d %3d %3d\n", k, RedOf(m), GreenOf(m),
                     BlueOf(m), RedOf(r), GreenOf(r), BlueOf(r));
    }
    const GreyDifference d = CompareGreys(side.measured, side.reference);
    std::fprintf(out, "  difference to reference: mean R %.2f G %.2f B %.2f, max R %d G %d B %d\n", d.mean[0],
                 d.mean[1], d.mean[2], d.max[0], d.max[1], d.max[2]);
    std::fprintf(out, "  tables non-decreasing: red %s, green %s, blue %s\n", YesNo(side.monotonic[0]),
                 YesNo(side.monotonic[1]), YesNo(side.monotonic[2]));
    // Equal neighbours give the table no segment between them: a clipped or flat sensor.
    int flat[3] = {0, 0, 0};
    for (std::size_t k = 1; k < side.measured.size(); ++k) {
        for (int c = 0; c < 3; ++c) {
            const ColourChannel channel = static_cast<ColourChannel>(c);
            flat[c] += ChannelOf(side.measured[k], channel) == ChannelOf(side.measured[k - 1], channel);
        }
    }
    if (flat[0] + flat[1] + flat[2] > 0) {
        std::fprintf(out, "  note: neighbouring steps measured equal (sensor clipped?): red %d, green %d, blue %d\n",
                     flat[0], flat[1], flat[2]);
    }
}

void PrintSide(const SideReport& side, std::FILE* out, std::FILE* err) {
    std::fprintf(out, "%s side: %s\n", side.name.c_str(), side.scanPath.c_str());
    if (!side.loadError.empty()) {
        std::fprintf(out, "  result:    not analysed (%s)\n", PrintableText(side.loadError).c_str());
        std::fprintf(err, "calvix-analyze: error: %s side: %s\n", side.name.c_str(), PrintableText(side.loadError).c_str());
        return;
    }
    std::fprintf(out, "  result:    %d (%s)\n", side.code, ResultMeaning(side.code).c_str());
    PrintCorners(side, out);
    for (const std::string& message : side.messages) std::fprintf(out, "  message:   %s\n", PrintableText(OneLine(message)).c_str());
    if (side.stored) PrintGreys(side, out);
    if (side.code != 0 || !side.stored) {
        std::fprintf(err, "calvix-analyze: error: %s side: %s (code %d)\n", side.name.c_str(),
                     ResultMeaning(side.code).c_str(), side.code);
    } else if (!side.TablesNonDecreasing()) {
        std::fprintf(out, "  verdict:   not passed, a correction table falls\n");
        std::fprintf(err, "calvix-analyze: error: %s side: correction tables fall somewhere (red %s, green %s, blue %s); "
                          "the reference or the scan is wrong\n",
                     side.name.c_str(), side.monotonic[0] ? "ok" : "falls", side.monotonic[1] ? "ok" : "falls",
                     side.monotonic[2] ? "ok" : "falls");
    }
    if (side.profileWithheld)
        std::fprintf(out, "  profile:   none stored, the side did not pass (the stored one is kept)\n");
    if (!side.profileKind.empty()) {
        std::fprintf(out, "  profile:   %s, fit on the colour patches: CIEDE2000 mean %.2f, p90 %.2f, max %.2f\n",
                     side.profileKind.c_str(), side.profileMean, side.profileP90, side.profileMax);
        if (side.profileKind != "shaper/matrix")
            std::fprintf(out, "             (shaper/matrix alone: mean %.2f, p90 %.2f)\n", side.matrixMean, side.matrixP90);
    }
    for (const std::string& error : side.writeErrors) {
        std::fprintf(out, "  not written: %s\n", error.c_str());
        std::fprintf(err, "calvix-analyze: error: %s side: %s\n", side.name.c_str(), error.c_str());
    }
}

// Why no record was written, when the sides were all analysed.
const char* NoRecordReason(const AnalysisReport& report) {
    for (const SideReport& side : report.sides) {
        if (!side.loadError.empty()) return "a scan could not be read";
    }
    for (const SideReport& side : report.sides) {
        if (!side.Passed()) return "not every side passed";
    }
    return "an output file could not be written";
}

}  // namespace

void PrintSummary(const AnalysisReport& report, std::FILE* out, std::FILE* err) {
    for (const SideReport& side : report.sides) PrintSide(side, out, err);
    // A failure can quote the reference file's own text.
    if (!report.failure.empty()) std::fprintf(err, "calvix-analyze: error: %s\n", PrintableText(report.failure).c_str());
    if (!report.lutPath.empty()) {
        std::fprintf(out, "calibration record (6227 bytes, %s) written to %s\n",
                     report.lutSides == 2 ? "duplex" : "simplex", report.lutPath.c_str());
    } else if (!report.sides.empty()) {
        std::fprintf(out, "no calibration record written: %s\n", NoRecordReason(report));
    }
    if (!report.filesWritten.empty()) {
        std::fprintf(out, "files in %s:\n", report.outputFolder.c_str());
        for (const std::string& file : report.filesWritten) std::fprintf(out, "  %s\n", file.c_str());
    }
}

}  // namespace calvix::analyze
