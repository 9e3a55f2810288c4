// Painting, scrolling and mouse handling of an image window's view.
#include "gui/ImageView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

#include "gui/DrawListPainter.h"
#include "mainform/MainForm.h"
#include "views/ZoomView.h"

namespace calvix {
namespace {

const QColor kOutsidePicture(96, 96, 96);
// The mark's pen reaches this far beyond its rectangle.
constexpr int kMarkMargin = 2;

}  // namespace

ImageView::ImageView(TMainFormular& core, QWidget* parent) : QAbstractScrollArea(parent), core_(core) {
    setObjectName("ImageBig");
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFrameShape(QFrame::NoFrame);
}

void ImageView::SetWindow(TChildImage* window) {
    window_ = window;
    markPainted_ = QRect();
    viewport()->update();
}

void ImageView::UpdateRanges() {
    const int w = window_ ? window_->image.Width() : 0;
    const int h = window_ ? window_->image.Height() : 0;
    const QSize visible = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, w - visible.width()));
    horizontalScrollBar()->setPageStep(visible.width());
    verticalScrollBar()->setRange(0, std::max(0, h - visible.height()));
    verticalScrollBar()->setPageStep(visible.height());
}

void ImageView::ApplyCoreScroll() {
    if (!window_) return;
    // Both targets are read first: moving one bar reports both positions back to the core.
    const int x = window_->viewport.scrollX;
    const int y = window_->viewport.scrollY;
    if (horizontalScrollBar()->value() != x) horizontalScrollBar()->setValue(x);
    if (verticalScrollBar()->value() != y) verticalScrollBar()->setValue(y);
}

QRect ImageView::MarkOnScreen(const QRect& markInImage) const {
    if (markInImage.isNull()) return QRect();
    return markInImage.translated(-horizontalScrollBar()->value(), -verticalScrollBar()->value())
        .adjusted(-kMarkMargin, -kMarkMargin, kMarkMargin, kMarkMargin);
}

void ImageView::RefreshMark() {
    QRect mark;
    if (window_) {
        if (const auto frame = SourceRectMark(*window_))
            mark = QRect(QPoint(frame->from.x, frame->from.y), QPoint(frame->to.x - 1, frame->to.y - 1));
    }
    if (mark == markPainted_) return;
    viewport()->update(MarkOnScreen(markPainted_));
    viewport()->update(MarkOnScreen(mark));
    markPainted_ = mark;
}

void ImageView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect exposed = event->rect();
    const int sx = horizontalScrollBar()->value();
    const int sy = verticalScrollBar()->value();
    if (!window_ || window_->image.Empty()) {
        painter.fillRect(exposed, kOutsidePicture);
        markPainted_ = QRect();
        return;
    }
    const QRect picture(-sx, -sy, window_->image.Width(), window_->image.Height());
    const QRect shown = exposed & picture;
    if (!shown.isEmpty()) painter.drawImage(shown, WrapBitmap(window_->image), shown.translated(sx, sy));
    for (const QRect& rest : QRegion(exposed).subtracted(QRegion(picture))) painter.fillRect(rest, kOutsidePicture);

    markPainted_ = QRect();
    if (const auto frame = SourceRectMark(*window_)) {
        painter.translate(-sx, -sy);
        // Clipped to the exposed part: beyond it the mark painted before is still on screen.
        painter.setClipRect(exposed.translated(sx, sy));
        PaintCommand(painter, *frame, nullptr);
        markPainted_ = QRect(QPoint(frame->from.x, frame->from.y), QPoint(frame->to.x - 1, frame->to.y - 1));
    }
}

void ImageView::resizeEvent(QResizeEvent*) {
    UpdateRanges();
    if (!window_) return;
    core_.Views().ImageWindowResize(*window_, viewport()->width(), viewport()->height());
    Acted();
}

void ImageView::scrollContentsBy(int dx, int dy) {
    viewport()->scroll(dx, dy);
    if (!window_) return;
    core_.Views().ImageWindowScroll(*window_, horizontalScrollBar()->value(), verticalScrollBar()->value());
    // The overview mark follows the visible part at once, not only at the next resize.
    if (window_ == core_.ChildImage()) core_.MapOriToOver();
    Acted();
}

std::optional<QPoint> ImageView::ImagePoint(const QPointF& viewportPoint) const {
    if (!window_) return std::nullopt;
    const QPoint p = viewportPoint.toPoint() + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
    if (!window_->image.Contains(p.x(), p.y())) return std::nullopt;
    return p;
}

void ImageView::NoteActivated() {
    activatedNow_ = true;
    // Cleared once the events of this round are through: a later press is the operator's aim.
    QTimer::singleShot(0, this, [this] { activatedNow_ = false; });
}

void ImageView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) NoteActivated();
}

void ImageView::mousePressEvent(QMouseEvent* event) {
    const auto p = ImagePoint(event->position());
    if (!p) return;
    // The press that activates the program comes before the activation on some desktops, after
    // it on others; either way it is not aimed at a corner.
    const bool activates = activatedNow_ || !isActiveWindow();
    activatedNow_ = false;
    core_.Views().ImageBigMouseDown(*window_, p->x(), p->y(), activates);
    Acted();
}

void ImageView::mouseMoveEvent(QMouseEvent* event) {
    const auto p = ImagePoint(event->position());
    if (!p) return;
    core_.Views().ImageBigMouseMove(*window_, p->x(), p->y());
    Acted();
}

void ImageView::mouseReleaseEvent(QMouseEvent* event) {
    if (!window_) return;
    const auto p = ImagePoint(event->position());
    if (!p) {
        window_->dragging = false;  // released beside the picture: nothing to set
        return;
    }
    const bool settingCorner = window_->setCornerMode;
    core_.Views().ImageBigMouseUp(*window_, p->x(), p->y());
    // The corner markers are drawn into the picture itself.
    if (settingCorner) viewport()->update();
    Acted();
}

void ImageView::Acted() {
    if (acted) acted();
}

}  // namespace calvix
