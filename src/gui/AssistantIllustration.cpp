// Simple vector drawings in a 170 x 230 design space; each scene is made of the same few parts.
#include "gui/AssistantIllustration.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace calvix {

namespace {

constexpr double kWidth = 170.0;
constexpr double kHeight = 230.0;
const QColor kInk(40, 46, 56);
const QColor kBody(70, 80, 94);
const QColor kAccent(0, 120, 200);

// The IT8 chart: colour patches in 12 rows and 22 columns inside the black frame, the grey
// wedge below them. face false draws the printed back of the sheet.
void Chart(QPainter& p, const QRectF& r, bool face = true) {
    p.save();
    p.setPen(QPen(QColor(150, 150, 150), 0.8));
    p.setBrush(face ? Qt::white : QColor(236, 236, 232));
    p.drawRoundedRect(r, 2, 2);
    if (!face) {
        p.setPen(QPen(QColor(190, 190, 185), 0.8));
        for (double x = r.left() + 6; x < r.right() - 4; x += 7)
            p.drawLine(QPointF(x, r.top() + 5), QPointF(x + 4, r.bottom() - 5));
        p.restore();
        return;
    }
    const QRectF frame = r.adjusted(r.width() * 0.06, r.height() * 0.08, -r.width() * 0.06, -r.height() * 0.08);
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame);
    const QRectF field = frame.adjusted(2, 2, -2, -2);
    const double cw = field.width() / 22.0;
    const double rh = field.height() / 16.0;
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 12; ++row)
        for (int col = 0; col < 22; ++col) {
            const int hue = (col * 360 / 22 + row * 7) % 360;
            p.setBrush(QColor::fromHsv(hue, 70 + row * 14, 250 - row * 9));
            p.drawRect(QRectF(field.left() + col * cw, field.top() + row * rh, cw * 0.9, rh * 0.9));
        }
    const double gw = field.width() / 24.0;
    for (int i = 0; i < 24; ++i) {
        const int v = 255 - i * 255 / 23;
        p.setBrush(QColor(v, v, v));
        p.drawRect(QRectF(field.left() + i * gw, field.top() + 13.5 * rh, gw, rh * 1.4));
    }
    p.restore();
}

// The Q71 seen from the front: the body, the feeder tray on top, the output slot and its LED.
void Scanner(QPainter& p, const QRectF& r, bool lampsOn = false) {
    p.save();
    QPainterPath tray;
    tray.moveTo(r.left() + r.width() * 0.18, r.top() + r.height() * 0.30);
    tray.lineTo(r.left() + r.width() * 0.26, r.top());
    tray.lineTo(r.right() - r.width() * 0.26, r.top());
    tray.lineTo(r.right() - r.width() * 0.18, r.top() + r.height() * 0.30);
    tray.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(150, 160, 172));
    p.drawPath(tray);
    const QRectF body(r.left(), r.top() + r.height() * 0.28, r.width(), r.height() * 0.72);
    QLinearGradient shade(body.topLeft(), body.bottomLeft());
    shade.setColorAt(0, kBody.lighter(130));
    shade.setColorAt(1, kBody);
    p.setBrush(shade);
    p.drawRoundedRect(body, 8, 8);
    const QRectF slot(body.left() + body.width() * 0.12, body.top() + body.height() * 0.55, body.width() * 0.76, 5);
    p.setBrush(QColor(25, 28, 33));
    p.drawRoundedRect(slot, 2, 2);
    if (lampsOn) {
        QLinearGradient glow(slot.topLeft(), slot.topRight());
        glow.setColorAt(0, QColor(255, 236, 150, 60));
        glow.setColorAt(0.5, QColor(255, 244, 190, 255));
        glow.setColorAt(1, QColor(255, 236, 150, 60));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawRoundedRect(slot.adjusted(2, 1, -2, -1), 1, 1);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(lampsOn ? QColor(255, 190, 40) : QColor(60, 200, 90));
    p.drawEllipse(QPointF(body.right() - 14, body.top() + 12), 3.5, 3.5);
    p.setPen(QColor(230, 235, 240));
    QFont font = p.font();
    font.setPixelSize(10);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(body.left() + 10, body.top() + 5, 60, 14), Qt::AlignLeft | Qt::AlignVCenter, "Q71");
    p.restore();
}

void Arrow(QPainter& p, const QPointF& from, const QPointF& to, const QColor& colour = kAccent) {
    p.save();
    p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const double angle = std::atan2(to.y() - from.y(), to.x() - from.x());
    const QPointF a = to - QPointF(std::cos(angle - 0.5) * 9, std::sin(angle - 0.5) * 9);
    const QPointF b = to - QPointF(std::cos(angle + 0.5) * 9, std::sin(angle + 0.5) * 9);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(QPolygonF({to, a, b}));
    p.restore();
}

// A reference file: a sheet with a folded corner and lines of numbers.
void ReferenceFile(QPainter& p, const QRectF& r) {
    p.save();
    QPainterPath sheet;
    sheet.moveTo(r.topLeft());
    sheet.lineTo(r.right() - 12, r.top());
    sheet.lineTo(r.right(), r.top() + 12);
    sheet.lineTo(r.bottomRight());
    sheet.lineTo(r.bottomLeft());
    sheet.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.drawLine(QPointF(r.right() - 12, r.top()), QPointF(r.right() - 12, r.top() + 12));
    p.drawLine(QPointF(r.right() - 12, r.top() + 12), QPointF(r.right(), r.top() + 12));
    p.setPen(QPen(QColor(140, 150, 165), 1.5));
    for (double y = r.top() + 20; y < r.bottom() - 6; y += 7)
        p.drawLine(QPointF(r.left() + 7, y), QPointF(r.right() - 7 - std::fmod(y * 3, 17), y));
    p.setPen(kAccent);
    QFont font = p.font();
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(r.left() + 5, r.top() + 3, r.width() - 18, 12), Qt::AlignLeft, "IT8.7");
    p.restore();
}

void CornerMarker(QPainter& p, const QPointF& c) {
    p.save();
    p.setPen(QPen(QColor(220, 30, 30), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 5, 5);
    p.drawLine(c - QPointF(8, 0), c + QPointF(8, 0));
    p.drawLine(c - QPointF(0, 8), c + QPointF(0, 8));
    p.restore();
}

void Pointer(QPainter& p, const QPointF& tip) {
    QPolygonF arrow({tip, tip + QPointF(0, 17), tip + QPointF(4.5, 13), tip + QPointF(8, 20), tip + QPointF(10.5, 19),
                     tip + QPointF(7, 12), tip + QPointF(12.5, 12)});
    p.save();
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPolygon(arrow);
    p.restore();
}

void Clock(QPainter& p, const QPointF& c, double radius) {
    p.save();
    p.setPen(QPen(kInk, 2));
    p.setBrush(Qt::white);
    p.drawEllipse(c, radius, radius);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 190, 40, 200));
    p.drawPie(QRectF(c.x() - radius + 4, c.y() - radius + 4, 2 * radius - 8, 2 * radius - 8), 90 * 16, -250 * 16);
    p.setPen(QPen(kInk, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(0, -radius + 6));
    p.restore();
}

void Check(QPainter& p, const QPointF& c, double radius) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 170, 80));
    p.drawEllipse(c, radius, radius);
    p.setPen(QPen(Qt::white, radius * 0.22, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({c + QPointF(-radius * 0.45, 0), c + QPointF(-radius * 0.1, radius * 0.38),
                              c + QPointF(radius * 0.5, -radius * 0.35)}));
    p.restore();
}

}  // namespace

void PaintIllustration(QPainter& p, const QRectF& area, Illustration picture) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double scale = std::min(area.width() / kWidth, area.height() / kHeight);
    p.translate(area.center().x() - kWidth * scale / 2, area.center().y() - kHeight * scale / 2);
    p.scale(scale, scale);
    QLinearGradient backdrop(0, 0, 0, kHeight);
    backdrop.setColorAt(0, QColor(232, 240, 250));
    backdrop.setColorAt(1, QColor(205, 220, 238));
    p.setPen(Qt::NoPen);
    p.setBrush(backdrop);
    p.drawRoundedRect(QRectF(0, 0, kWidth, kHeight), 10, 10);

    const QRectF scanner(25, 150, 120, 62);
    switch (picture) {
        case Illustration::Reference:
            Chart(p, QRectF(15, 22, 140, 96));
            p.setPen(QPen(kAccent, 1.5, Qt::DashLine));
            p.drawLine(QPointF(85, 120), QPointF(85, 140));
            ReferenceFile(p, QRectF(58, 142, 56, 72));
            break;
        case Illustration::Warmup: {
            Clock(p, QPointF(85, 70), 42);
            Scanner(p, scanner, true);
            break;
        }
        case Illustration::ScanFront:
            p.save();
            p.translate(85, 70);
            p.rotate(-8);
            Chart(p, QRectF(-62, -44, 124, 84));
            p.restore();
            Arrow(p, QPointF(85, 118), QPointF(85, 150));
            Scanner(p, scanner);
            break;
        case Illustration::ScanRear: {
            Chart(p, QRectF(8, 24, 70, 48));
            Chart(p, QRectF(92, 24, 70, 48), false);
            p.save();
            p.setPen(QPen(kAccent, 3, Qt::SolidLine, Qt::RoundCap));
            p.setBrush(Qt::NoBrush);
            QPainterPath turn;
            turn.moveTo(43, 80);
            turn.cubicTo(55, 118, 115, 118, 127, 84);
            p.drawPath(turn);
            p.restore();
            Arrow(p, QPointF(126, 88), QPointF(127, 79));
            Arrow(p, QPointF(85, 118), QPointF(85, 150));
            Scanner(p, scanner);
            break;
        }
        case Illustration::MarkCorners: {
            const QRectF chart(12, 40, 146, 100);
            Chart(p, chart);
            const QRectF frame = chart.adjusted(chart.width() * 0.06, chart.height() * 0.08, -chart.width() * 0.06,
                                                -chart.height() * 0.08);
            for (const QPointF& c : {frame.topLeft(), frame.topRight(), frame.bottomLeft(), frame.bottomRight()})
                CornerMarker(p, c);
            Pointer(p, frame.bottomRight() + QPointF(4, 4));
            break;
        }
        case Illustration::Finished:
            Check(p, QPointF(85, 76), 44);
            Scanner(p, scanner);
            break;
    }
    p.restore();
}

AssistantIllustration::AssistantIllustration(Illustration picture, QWidget* parent)
    : QWidget(parent), picture_(picture) {
    setFixedSize(sizeHint());
}

void AssistantIllustration::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintIllustration(painter, rect(), picture_);
}

}  // namespace calvix
