// Layout: one band per side down the page, the table on the left and the SFR plot on the right.
// A direction's curve is the mean of its two sides' curves where both were measured, as its
// MTF50 is.
#include "CertificateQuality.h"

#include "QualityReport.h"

#include <QPainterPath>
#include <QPen>

#include <algorithm>

namespace calvix::verify {

using namespace certificate;

namespace {

std::vector<MtfSample> DirectionCurve(const ChartSharpnessResult& sharpness, ChartSide a, ChartSide b) {
    std::vector<const std::vector<MtfSample>*> curves;
    for (ChartSide side : {a, b}) {
        const SlantedEdgeResult& edge = sharpness.sides[static_cast<std::size_t>(side)].edge;
        if (edge.status == EdgeStatus::Measured && !edge.channel[SfrGreen].mtf.empty())
            curves.push_back(&edge.channel[SfrGreen].mtf);
    }
    if (curves.empty()) return {};
    std::vector<MtfSample> mean = *curves[0];
    if (curves.size() == 2 && curves[1]->size() == mean.size())
        for (std::size_t i = 0; i < mean.size(); ++i)
            mean[i].modulation = 0.5 * (mean[i].modulation + (*curves[1])[i].modulation);
    return mean;
}

double SideBand(Page& page, double y, const SideResult& side) {
    page.Font(11, true);
    y = page.Text(Left, y, Right - Left, 6, side.name + " side");
    if (!side.quality) {
        page.Font(8);
        return page.Text(Left, y, Right - Left, 6,
                         side.qualityError.empty() ? "no image-quality figures (the side was not measured)"
                                                   : side.qualityError);
    }
    const quality::SideQuality& q = *side.quality;
    page.Font(6.5);
    y = page.Wrapped(Left, y, Right - Left, "read through " + q.decoderName);
    const double widths[] = {52, 20, 14, 12, 18};
    const char* heads[] = {"figure", "value", "FADGI", "ISO", "Metamorfoze"};
    const double top = y;
    page.Font(7, true);
    double x = Left;
    for (std::size_t i = 0; i < 5; ++i) {
        page.Text(x, y, widths[i], 4.2, heads[i], i == 1 ? Qt::AlignRight : Qt::AlignLeft);
        x += widths[i] + (i == 1 ? 3 : 0);
    }
    y += 4.4;
    page.Font(7);
    for (const quality::GradedFigure& f : q.grades.figures) {
        const std::string cells[5] = {quality::FigureLabel(f.figure), FigureValueText(f.figure, f.value),
                                      quality::FadgiText(f.fadgiStars), quality::LevelText(f.iso),
                                      quality::LevelText(f.metamorfoze)};
        x = Left;
        for (std::size_t i = 0; i < 5; ++i) {
            page.Text(x, y, widths[i], 3.6, cells[i], i == 1 ? Qt::AlignRight : Qt::AlignLeft);
            x += widths[i] + (i == 1 ? 3 : 0);
        }
        y += 3.6;
    }
    y += 1.5;
    page.Font(7, true);
    const std::pair<const char*, std::string> grades[] = {{"FADGI", GradeText(q.grades.fadgi, true)},
                                                          {"ISO 19264-1", GradeText(q.grades.iso, false)},
                                                          {"Metamorfoze", GradeText(q.grades.metamorfoze, false)}};
    for (const auto& [standard, text] : grades) {
        page.Font(7, true);
        page.Text(Left, y, 20, 3.6, standard, Qt::AlignLeft | Qt::AlignTop);
        page.Font(7);
        y = page.Wrapped(Left + 21, y, 98, text);
    }
    const QRectF plot = Box(Left + 130, top + 2, Right - Left - 132, 36);
    page.Font(5.5);
    PaintSfr(page.Painter(), plot, q.sharpness);
    page.Font(6);
    page.Wrapped(Left + 126, top + 43, Right - Left - 126,
                 "SFR, green channel: MTF against cycles/pixel; blue horizontal (x), orange vertical (y); dashed: "
                 "Nyquist and 50 %");
    return std::max(y, top + 52);
}

}  // namespace

void PaintSfr(QPainter& painter, const QRectF& area, const ChartSharpnessResult& sharpness) {
    const double penWidth = std::max(1.0, area.width() / 400.0);
    constexpr double kTopFrequency = 1.0, kTopModulation = 1.1;
    const auto at = [&](double f, double m) {
        return QPointF(area.left() + area.width() * std::clamp(f / kTopFrequency, 0.0, 1.0),
                       area.bottom() - area.height() * std::clamp(m / kTopModulation, 0.0, 1.0));
    };
    painter.save();
    painter.setPen(QPen(Qt::gray, penWidth));
    painter.drawRect(area);
    painter.setPen(QPen(QColor(190, 190, 190), penWidth, Qt::DashLine));
    painter.drawLine(at(0.5, 0.0), at(0.5, kTopModulation));
    painter.drawLine(at(0.0, 0.5), at(kTopFrequency, 0.5));
    const std::pair<std::vector<MtfSample>, QColor> curves[] = {
        {DirectionCurve(sharpness, ChartSide::Left, ChartSide::Right), QColor(0, 90, 200)},
        {DirectionCurve(sharpness, ChartSide::Top, ChartSide::Bottom), QColor(200, 90, 0)}};
    for (const auto& [curve, colour] : curves) {
        if (curve.empty()) continue;
        painter.setPen(QPen(colour, penWidth * 1.5));
        QPainterPath path;
        for (std::size_t i = 0; i < curve.size(); ++i) {
            if (i == 0) path.moveTo(at(curve[i].frequency, curve[i].modulation));
            else path.lineTo(at(curve[i].frequency, curve[i].modulation));
        }
        painter.drawPath(path);
    }
    painter.setPen(QPen(Qt::black, penWidth));
    const double label = area.height() * 0.1;
    painter.drawText(QRectF(area.left() - area.width() * 0.1, area.top(), area.width() * 0.09, label),
                     Qt::AlignRight | Qt::AlignTop, "1.1");
    painter.drawText(QRectF(area.left() - area.width() * 0.1, area.bottom() - label, area.width() * 0.09, label),
                     Qt::AlignRight | Qt::AlignBottom, "0");
    painter.drawText(QRectF(at(0.5, 0.0).x() - area.width() * 0.1, area.bottom(), area.width() * 0.2, label),
                     Qt::AlignHCenter | Qt::AlignTop, "0.5");
    painter.drawText(QRectF(area.right() - area.width() * 0.2, area.bottom(), area.width() * 0.2, label),
                     Qt::AlignRight | Qt::AlignTop, "1 cy/px");
    painter.restore();
}

void QualityPage(Page& page, const VerifyResult& result) {
    page.Font(14, true);
    double y = page.Text(Left, 14, Right - Left, 9, "Image quality");
    page.Font(7);
    y = page.Wrapped(Left, y, Right - Left,
                     "Each figure with the level it meets in FADGI 2023 (Bound General Collections, stars), ISO "
                     "19264-1:2021 (A, B, C) and Metamorfoze 2.0 (Strict, Light, Extra Light); - where the standard "
                     "sets no limit. The weakest graded figure limits each standard's grade.");
    y += 3;
    for (const SideResult& side : result.sides) {
        if (y > 297.0 - 80.0) break;
        y = SideBand(page, y, side) + 6;
    }
}

}  // namespace calvix::verify
