// The scrolling view inside an image window (ImageBig). Only the exposed part of the picture
// is painted, straight from the bitmap's memory; the zoom source mark is an overlay that is
// repainted alone when it moves, so a large picture stays quick under the mouse.
#pragma once

#include <QAbstractScrollArea>

#include <functional>
#include <optional>

namespace calvix {

class TChildImage;
class TMainFormular;

class ImageView final : public QAbstractScrollArea {
    Q_OBJECT
public:
    ImageView(TMainFormular& core, QWidget* parent);

    void SetWindow(TChildImage* window);
    // Scroll ranges from the picture and the visible area.
    void UpdateRanges();
    // Moves the view to the core's scroll positions (the overview navigates this way).
    void ApplyCoreScroll();
    // Repaints the old and the new place of the zoom source mark when it changed.
    void RefreshMark();

    // The window was brought to the front (its frame, or the program). A press in the same
    // round of events is the one that did it and only focuses; it sets no corner.
    void NoteActivated();

    std::function<void()> acted;

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool activatedNow_ = false;
    // Image position under a viewport point, when the point lies on the picture.
    std::optional<QPoint> ImagePoint(const QPointF& viewportPoint) const;
    QRect MarkOnScreen(const QRect& markInImage) const;
    void Acted();

    TMainFormular& core_;
    TChildImage* window_ = nullptr;
    QRect markPainted_;  // image coordinates; empty when no mark is on screen
};

}  // namespace calvix
