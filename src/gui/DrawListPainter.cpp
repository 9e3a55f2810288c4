// Invert strokes are painted as XOR with white, which inverts what is below and takes itself
// off again when painted a second time, like the platform's not-pen.
#include "gui/DrawListPainter.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

namespace calvix {
namespace {

void ApplyStroke(QPainter& painter, const Stroke& stroke) {
    QPen pen(stroke.mode == StrokeMode::Invert ? QColor(Qt::white) : ToQColor(stroke.colour));
    pen.setWidth(stroke.width);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setCapStyle(Qt::SquareCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.setCompositionMode(stroke.mode == StrokeMode::Invert ? QPainter::RasterOp_SourceXorDestination
                                                                 : QPainter::CompositionMode_SourceOver);
}

QRect ToQRect(const ViewRect& r) { return QRect(r.left, r.top, r.width, r.height); }

struct CommandPainter {
    QPainter& painter;
    const ScanBitmap* source;

    void operator()(const FillCommand& c) const {
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.fillRect(ToQRect(c.rect), ToQColor(c.colour));
    }
    void operator()(const StretchCommand& c) const {
        if (source == nullptr || source->Empty()) return;
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        // No smoothing: every image pixel becomes a block of view pixels.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(ToQRect(c.target), WrapBitmap(*source), ToQRect(c.source));
    }
    void operator()(const LineCommand& c) const {
        ApplyStroke(painter, c.stroke);
        painter.drawLine(c.from.x, c.from.y, c.to.x, c.to.y);
    }
    // The outline runs along the rectangle's pixels from `from` up to, not including, `to`.
    void operator()(const FrameCommand& c) const {
        ApplyStroke(painter, c.stroke);
        painter.drawRect(QRect(c.from.x, c.from.y, c.to.x - c.from.x - 1, c.to.y - c.from.y - 1));
    }
    void operator()(const PolylineCommand& c) const {
        ApplyStroke(painter, c.stroke);
        QPolygon polygon;
        polygon.reserve(static_cast<qsizetype>(c.points.size()));
        for (const Point& p : c.points) polygon << QPoint(p.x, p.y);
        painter.drawPolyline(polygon);
    }
    // One path, so an inverting marker does not take off its own crossings.
    void operator()(const MarkerCommand& c) const {
        ApplyStroke(painter, c.stroke);
        const int x = c.centre.x, y = c.centre.y, s = c.halfSize;
        QPainterPath path;
        for (const QPoint corner : {QPoint(x - s, y - s), QPoint(x + s, y - s), QPoint(x + s, y + s), QPoint(x - s, y + s)}) {
            path.moveTo(x, y);
            path.lineTo(corner);
        }
        path.addRect(x - s, y - s, 2 * s, 2 * s);
        painter.drawPath(path);
    }
};

}  // namespace

QImage WrapBitmap(const ScanBitmap& bitmap) {
    if (bitmap.Empty()) return QImage();
    return QImage(bitmap.Data(), bitmap.Width(), bitmap.Height(), static_cast<qsizetype>(bitmap.Stride()),
                  QImage::Format_BGR888);
}

QColor ToQColor(PackedColour colour) { return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour)); }

void PaintCommand(QPainter& painter, const DrawCommand& command, const ScanBitmap* source) {
    std::visit(CommandPainter{painter, source}, command);
}

void PaintDrawList(QPainter& painter, const DrawList& list, const ScanBitmap* source) {
    painter.save();
    for (const DrawCommand& command : list) PaintCommand(painter, command, source);
    painter.restore();
}

}  // namespace calvix
