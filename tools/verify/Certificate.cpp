// Page layout in millimetres on A4 at 300 dpi. Decision: the curves come from the record file
// when one is given; the device's stored record cannot be read back through the service
// library, so without --record the certificate says the curves are not known rather than
// guessing them, and still plots the verification's grey samples against the diagonal.
#include "Certificate.h"

#include "QualityNames.h"
#include "CertificatePage.h"
#include "CertificatePlots.h"
#include "CertificateQuality.h"
#include "VerifySummary.h"
#include "app/AtomicFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace calvix::verify {

namespace {

using namespace certificate;

std::string RecordText(const VerifyResult& r) {
    if (!r.record) return "not given (the scanner's stored record cannot be read back; pass --record FILE)";
    std::string text = r.record->serial + ", " + r.record->timeStamp + " UTC, " + r.record->version + ", " +
                       std::to_string(r.record->sides) + (r.record->sides == 1 ? " side" : " sides");
    if (r.RecordOfOtherScanner()) text += " - OF ANOTHER SCANNER";
    return text;
}

std::string BatchText(const ReferenceBatch& batch) {
    std::string text;
    for (const auto& [key, value] : batch.keywords) text += (text.empty() ? "" : "; ") + key + " " + value;
    return text.empty() ? "no identifying keywords in the file" : text;
}

void SideRow(Page& page, double y, const SideResult& s) {
    page.Font(8);
    const double widths[] = {14, 34, 14, 22, 14, 18, 18, 40};
    std::vector<std::string> cells;
    if (!s.Measured()) {
        cells = {s.name, s.error.empty() ? ChartCodeMeaning(s.chartCode) : s.error};
        page.Text(Left, y, 14, 5, cells[0]);
        page.Text(Left + 14, y, Right - Left - 14, 5, cells[1]);
        return;
    }
    const GreyEvaluation& g = s.grey;
    cells = {s.name,
             Format("%.2f", g.meanAbs[0]) + " " + Format("%.2f", g.meanAbs[1]) + " " + Format("%.2f", g.meanAbs[2]),
             std::to_string(WorstMax(g)),
             Format("%.2f", g.maxAbsDeltaL),
             StarsText(s.fadgiToneStars),
             s.isoToneLevel.empty() ? "none" : s.isoToneLevel,
             Format("%.2f", g.maxDeltaAb) + " / " + std::to_string(s.fadgiWhiteBalanceStars) + "*",
             Format("%.2f", s.colour.figures.mean) + " / " + Format("%.2f", s.colour.figures.max) + " / " +
                 Format("%.2f", s.colour.figures.p90)};
    double x = Left;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        page.Text(x, y, widths[i], 5, cells[i]);
        x += widths[i];
    }
}

void FirstPage(Page& page, const VerifyResult& r, const HistoryRead& history) {
    QPainter& p = page.Painter();
    page.Font(17, true);
    double y = page.Text(Left, 14, Right - Left, 10, "Scanner verification certificate");
    const bool pass = r.Passed();
    p.fillRect(Box(Left, y + 2, Right - Left, 13), pass ? QColor(220, 245, 225) : QColor(252, 225, 222));
    p.setPen(pass ? QColor(0, 110, 40) : QColor(180, 20, 20));
    page.Font(14, true);
    page.Text(Left + 3, y + 2, 22, 13, pass ? "PASS" : "FAIL");
    page.Font(8.5);
    page.Text(Left + 26, y + 2, Right - Left - 28, 13, pass ? "every side within the thresholds" : VerdictText(r).substr(6));
    p.setPen(Qt::black);
    y += 19;
    y = page.Field(y, "Scanner serial", r.scanner.serial.empty() ? "not known" : r.scanner.serial);
    y = page.Field(y, "Model", r.scanner.model.empty() ? "not known (scans given as files)" : r.scanner.model);
    y = page.Field(y, "Verified (UTC)", r.verifiedAt);
    y = page.Field(y, "Scans", r.scanner.offline ? "files given on the command line" : "through TWAIN, the LUT in force");
    y = page.Field(y, "Program", "calvix-verify " + r.toolVersion);
    y = page.Field(y, "Reference file", r.batch.file);
    y = page.Field(y, "Reference batch", BatchText(r.batch), 3);
    y = page.Field(y, "Reference greys", "gamma " + Format("%.2f", r.gamma) +
                                             (r.adaptD65 ? ", chromatic adaptation D65" : ", no chromatic adaptation"));
    y = page.Field(y, "LUT record", RecordText(r));
    y = page.Field(y, "Pass limits", "per channel: mean |difference| <= " + Format("%.2f", r.thresholds.meanLevels) +
                                         " levels, every patch |difference| <= " +
                                         std::to_string(r.thresholds.maxLevels) + " levels");
    y += 5;
    page.Font(11, true);
    y = page.Text(Left, y, Right - Left, 6, "Grey wedge and levels met");
    page.Font(7.5, true);
    const char* heads[] = {"side", "mean |diff| R G B", "max", "max |dL*|", "FADGI tone", "ISO 19264-1",
                           "WB dEab / FADGI", "dE2000 mean / max / p90"};
    const double widths[] = {14, 34, 14, 22, 14, 18, 18, 40};
    double x = Left;
    for (std::size_t i = 0; i < 8; ++i) {
        page.Text(x, y, widths[i], 5, heads[i]);
        x += widths[i];
    }
    y += 5;
    p.setPen(QPen(Qt::gray, 1));
    p.drawLine(QPointF(Px(Left), Px(y)), QPointF(Px(Right), Px(y)));
    p.setPen(Qt::black);
    for (const SideResult& side : r.sides) {
        SideRow(page, y + 0.5, side);
        y += 6;
    }
    // A dE2000 figure means nothing without the encoding the patches were read through.
    y += 1;
    for (const SideResult& side : r.sides) {
        if (!side.Measured()) continue;
        page.Font(7.5, true);
        page.Text(Left, y, 42, 4.4, "Colour read, " + side.name, Qt::AlignLeft | Qt::AlignTop);
        page.Font(7.5);
        y = page.Wrapped(Left + 43, y, Right - Left - 43, side.colour.encoding);
    }
    page.Font(7);
    y = page.Text(Left, y + 2, Right - Left, 17,
                  "Differences are measured minus reference in 8-bit levels. Tone: the largest |dL*| over the 24 grey "
                  "patches, L* from the reference encoding (matrix, gamma and adaptation in force) run backwards; "
                  "FADGI stars below 1.5/3/4.5/6, ISO 19264-1 level A <= 2, B <= 3, C <= 4. White balance: the largest "
                  "dE(a*b*) of the grey patches, FADGI stars below 2/4/6/8. dE2000 of the 264 colour patches, for "
                  "information: each patch's mean read through the encoding named above (the side's ICC profile, "
                  "absolute colorimetric; else the reference encoding run backwards; sRGB only when assumed), "
                  "against the reference L*a*b* (the file's LAB values, else from its XYZ under D50).");
    y += 5;
    page.Font(11, true);
    y = page.Text(Left, y, Right - Left, 6, "Drift: the last runs of this scanner (levels)");
    const std::size_t shown = std::min(history.entries.size(), DriftRuns);
    const double chartTop = y + 2, chartHeight = std::min(70.0, 297.0 - 30.0 - chartTop);
    PaintDrift(p, Box(Left + 10, chartTop, Right - Left - 10, std::max(chartHeight, 30.0)), history);
    page.Font(7.5);
    page.Text(Left + 10, chartTop + std::max(chartHeight, 30.0) + 1, Right - Left - 10, 5,
              std::to_string(shown) + " run(s), oldest left; solid: mean |difference| (worst channel), dashed: max "
                                      "|difference|; blue front, orange rear" +
                  (history.entries.empty() ? " - no history (not written in this run)" : ""));
}

void SidePanel(Page& page, double x, double w, const VerifyResult& r, const SideResult& side, std::size_t index) {
    QPainter& p = page.Painter();
    page.Font(11, true);
    page.Text(x, 14, w, 6, side.name + " side");
    const ChannelTables* curves =
        r.record && static_cast<int>(index) < r.record->sides ? &r.record->tables[index] : nullptr;
    const QRectF plot = Box(x, 22, w, w * 0.55);
    PaintCurves(p, plot, side, curves);
    page.Font(6.5);
    double y = 22 + w * 0.55 + 1;
    y = page.Text(x, y, w, 7,
                  std::string(curves ? "curves: the record's tables (10-bit input to 8-bit output)"
                                     : "curves not known (no record given); diagonal only") +
                      "; markers: grey samples, measured (x) against reference (y)");
    y += 2;
    if (!side.Measured()) {
        page.Font(8);
        page.Text(x, y, w, 10, side.error.empty() ? ChartCodeMeaning(side.chartCode) : side.error);
        return;
    }
    page.Font(6.5, true);
    const double cw = w / 11.5;
    const char* groups[] = {"reference", "measured", "difference"};
    for (int i = 0; i < 3; ++i) page.Text(x + (1 + 3 * i) * cw, y, 3 * cw, 4, groups[i], Qt::AlignRight);
    y += 4;
    const char* heads[] = {"patch", "R", "G", "B", "R", "G", "B", "R", "G", "B", "dL*"};
    for (int i = 0; i < 11; ++i) page.Text(x + i * cw, y, i == 10 ? 1.5 * cw : cw, 4, heads[i], Qt::AlignRight);
    y += 4;
    page.Font(6.5);
    for (std::size_t k = 0; k < side.grey.patches.size(); ++k) {
        const GreyPatchResult& g = side.grey.patches[k];
        const int worst = std::max({std::abs(g.difference[0]), std::abs(g.difference[1]), std::abs(g.difference[2])});
        p.setPen(worst > r.thresholds.maxLevels ? QColor(190, 0, 0) : QColor(Qt::black));
        std::string cells[11] = {"GS" + std::to_string(k)};
        for (std::size_t c = 0; c < 3; ++c) {
            cells[1 + c] = std::to_string(g.reference[c]);
            cells[4 + c] = std::to_string(g.measured[c]);
            cells[7 + c] = Format("%+.0f", g.difference[c]);
        }
        cells[10] = Format("%+.2f", g.deltaL);
        for (int i = 0; i < 11; ++i) page.Text(x + i * cw, y, i == 10 ? 1.5 * cw : cw, 3.6, cells[i], Qt::AlignRight);
        y += 3.6;
    }
    p.setPen(Qt::black);
}

}  // namespace

bool WriteCertificate(const VerifyResult& result, const HistoryRead& history, const std::string& path,
                      std::string& error) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::unique_ptr<QGuiApplication> app;
    static int argc = 1;
    static char name[] = "calvix-verify";
    static char* argv[] = {name, nullptr};
    if (QGuiApplication::instance() == nullptr) app = std::make_unique<QGuiApplication>(argc, argv);

    // Drawn into memory (a certificate is a few hundred kilobytes) and written by the program's
    // one replacing writer, which also refuses a device or FIFO named as the report.
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(static_cast<int>(Dpi));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setTitle("Scanner verification certificate " + Q(result.scanner.serial));
        writer.setCreator("calvix-verify");
        QPainter painter;
        if (!painter.begin(&writer)) {
            error = "the PDF cannot be drawn";
            return false;
        }
        painter.setRenderHint(QPainter::Antialiasing);
        Page page(painter);
        FirstPage(page, result, history);
        if (!result.sides.empty()) {
            writer.newPage();
            const double gap = 8.0;
            const double w = result.sides.size() > 1 ? (Right - Left - gap) / 2 : (Right - Left) * 0.6;
            for (std::size_t i = 0; i < result.sides.size() && i < 2; ++i)
                SidePanel(page, Left + static_cast<double>(i) * (w + gap), w, result, result.sides[i], i);
            if (std::any_of(result.sides.begin(), result.sides.end(), [](const SideResult& s) { return s.quality; })) {
                writer.newPage();
                QualityPage(page, result);
            }
        }
        if (!painter.end()) {
            error = "the PDF could not be completed";
            return false;
        }
    }
    if (pdf.isEmpty()) {
        error = "the PDF was not written";
        return false;
    }
    return WriteFileAtomically(path, std::string(pdf.constData(), static_cast<std::size_t>(pdf.size())), &error);
}

}  // namespace calvix::verify
