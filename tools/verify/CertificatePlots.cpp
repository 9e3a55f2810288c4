// The curve plot replays TGraphix's commands scaled from its 1024 x 256 plot into the area; the
// drift chart is drawn here, on the same axes style.
#include "CertificatePlots.h"

#include "VerifyReport.h"
#include "views/graph.h"

#include <QPainterPath>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <variant>

namespace calvix::verify {

namespace {

QColor ColourOf(PackedColour c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

// The identity of a 10-bit input to its 8-bit output: what "no correction" would draw.
ChannelTables IdentityTables() {
    ChannelTables tables{};
    for (ChannelTable& table : tables)
        for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<std::uint8_t>(i / 4);
    return tables;
}

}  // namespace

void PaintCurves(QPainter& painter, const QRectF& area, const SideResult& side, const ChannelTables* curves) {
    GreyPatchTable samples{};
    for (std::size_t k = 0; k < samples.size() && k < side.measured.size(); ++k) {
        samples[k].measured = side.measured[k];
        samples[k].reference = side.reference[k];
    }
    const ChannelTables identity = IdentityTables();
    const bool known = curves != nullptr;
    TGraphix graph(GraphSources{known ? *curves : identity, samples});
    graph.Draw();
    const double sx = area.width() / TGraphix::FullPlotWidth;
    const double sy = area.height() / TGraphix::PlotHeight;
    const auto at = [&](const Point& p) { return QPointF(area.left() + p.x * sx, area.top() + p.y * sy); };
    const double penWidth = std::max(1.0, area.width() / 400.0);
    painter.save();
    painter.setClipRect(area.adjusted(-penWidth * 4, -penWidth * 4, penWidth * 4, penWidth * 4));
    for (const DrawCommand& command : graph.Picture()) {
        std::visit(
            [&](const auto& c) {
                using T = std::decay_t<decltype(c)>;
                if constexpr (std::is_same_v<T, LineCommand>) {
                    painter.setPen(QPen(ColourOf(c.stroke.colour), penWidth));
                    painter.drawLine(at(c.from), at(c.to));
                } else if constexpr (std::is_same_v<T, PolylineCommand>) {
                    // Without a record the identity stands in for the curves; it is not drawn.
                    if (!known && c.points.size() > 6) return;
                    painter.setPen(QPen(ColourOf(c.stroke.colour), penWidth));
                    QPainterPath path;
                    for (std::size_t i = 0; i < c.points.size(); ++i) {
                        if (i == 0) path.moveTo(at(c.points[i]));
                        else path.lineTo(at(c.points[i]));
                    }
                    painter.drawPath(path);
                } else if constexpr (std::is_same_v<T, MarkerCommand>) {
                    painter.setPen(QPen(ColourOf(c.stroke.colour), penWidth));
                    const QPointF centre = at(c.centre);
                    const double h = penWidth * 3;
                    painter.drawLine(centre + QPointF(-h, -h), centre + QPointF(h, h));
                    painter.drawLine(centre + QPointF(-h, h), centre + QPointF(h, -h));
                    painter.drawRect(QRectF(centre.x() - h, centre.y() - h, 2 * h, 2 * h));
                }
            },
            command);
    }
    painter.restore();
}

void PaintDrift(QPainter& painter, const QRectF& area, const HistoryRead& history) {
    const std::size_t count = std::min(history.entries.size(), DriftRuns);
    const std::size_t first = history.entries.size() - count;
    double top = 4.0;  // levels; at least the default max limit and a little room
    for (std::size_t i = first; i < history.entries.size(); ++i)
        for (const HistorySide& s : history.entries[i].sides)
            if (s.measured) top = std::max(top, std::ceil(s.max + 1.0));
    const double penWidth = std::max(1.0, area.width() / 400.0);
    painter.save();
    painter.setPen(QPen(Qt::gray, penWidth));
    painter.drawRect(area);
    for (int level = 1; level < static_cast<int>(top); ++level) {
        const double y = area.bottom() - area.height() * level / top;
        painter.setPen(QPen(QColor(225, 225, 225), penWidth));
        painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
    const auto x = [&](std::size_t i) {
        return area.left() + area.width() * (static_cast<double>(i - first) + 0.5) / static_cast<double>(DriftRuns);
    };
    const auto y = [&](double v) { return area.bottom() - area.height() * std::clamp(v / top, 0.0, 1.0); };
    struct Series {
        const char* side;
        bool max;
        QColor colour;
        Qt::PenStyle style;
    };
    const Series series[] = {{"front", false, QColor(0, 90, 200), Qt::SolidLine},
                             {"front", true, QColor(0, 90, 200), Qt::DashLine},
                             {"rear", false, QColor(200, 90, 0), Qt::SolidLine},
                             {"rear", true, QColor(200, 90, 0), Qt::DashLine}};
    for (const Series& s : series) {
        QPen pen(s.colour, penWidth * 1.5, s.style);
        painter.setPen(pen);
        QPainterPath path;
        bool open = false;
        for (std::size_t i = first; i < history.entries.size(); ++i) {
            const HistorySide* side = history.entries[i].Side(s.side);
            if (side == nullptr || !side->measured) {
                open = false;
                continue;
            }
            const QPointF p(x(i), y(s.max ? side->max : side->mean));
            if (open) path.lineTo(p);
            else path.moveTo(p);
            open = true;
            painter.drawEllipse(p, penWidth * 2, penWidth * 2);
        }
        painter.drawPath(path);
    }
    painter.setPen(QPen(Qt::black, penWidth));
    QFont font = painter.font();
    painter.drawText(QRectF(area.left() - area.width() * 0.08, area.top(), area.width() * 0.07, area.height() * 0.1),
                     Qt::AlignRight | Qt::AlignTop, QString::number(top, 'f', 0));
    painter.drawText(QRectF(area.left() - area.width() * 0.08, area.bottom() - area.height() * 0.1,
                            area.width() * 0.07, area.height() * 0.1),
                     Qt::AlignRight | Qt::AlignBottom, "0");
    painter.setFont(font);
    painter.restore();
}

}  // namespace calvix::verify
