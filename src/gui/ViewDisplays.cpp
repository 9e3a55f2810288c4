// Zoom view and overview: white when nothing is shown, then the core's picture over it.
#include "gui/ViewDisplays.h"

#include <QMouseEvent>
#include <QPainter>

#include "gui/DrawListPainter.h"
#include "mainform/MainForm.h"

namespace calvix {
namespace {

// The overview's height stays nominal; the smallest zoom view still shows a few pixels.
constexpr int kOverviewHeight = 131;
constexpr QSize kZoomMinimum(120, 80);

MouseButton ToMouseButton(Qt::MouseButton button) {
    switch (button) {
    case Qt::RightButton: return MouseButton::Right;
    case Qt::MiddleButton: return MouseButton::Middle;
    default: return MouseButton::Left;
    }
}

}  // namespace

ImageZoomWidget::ImageZoomWidget(QWidget* parent) : ViewDisplay(parent) {
    setObjectName("ImageZoom");
    setMinimumSize(kZoomMinimum);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageZoomWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!core_) return;
    PaintDrawList(painter, core_->Views().Zoom().picture, core_->Views().ZoomImage());
}

void ImageZoomWidget::resizeEvent(QResizeEvent*) {
    if (core_) core_->Views().SetZoomSize({width(), height()});
}

OverviewWidget::OverviewWidget(QWidget* parent) : ViewDisplay(parent) {
    setObjectName("Overview");
    setMinimumSize(133, 100);
    setFixedHeight(kOverviewHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void OverviewWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!core_) return;
    const auto& overview = core_->Views().Overview();
    if (!overview.bitmap.Empty()) painter.drawImage(QPoint(0, 0), WrapBitmap(overview.bitmap));
    if (overview.mark) PaintCommand(painter, *overview.mark, nullptr);
}

void OverviewWidget::resizeEvent(QResizeEvent*) {
    if (core_) core_->Views().SetOverviewSize({width(), height()});
}

void OverviewWidget::mousePressEvent(QMouseEvent* event) {
    if (!core_) return;
    const QPoint p = event->position().toPoint();
    core_->Views().OverviewMouseDown(ToMouseButton(event->button()), p.x(), p.y());
    if (acted) acted();
}

void OverviewWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!core_ || !core_->Views().OverviewDragging()) return;
    const QPoint p = event->position().toPoint();
    core_->Views().OverviewMouseMove(p.x(), p.y());
    if (acted) acted();
}

void OverviewWidget::mouseReleaseEvent(QMouseEvent*) {
    if (core_) core_->Views().OverviewMouseUp();
}

}  // namespace calvix
