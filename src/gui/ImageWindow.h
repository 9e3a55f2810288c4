// An image window: a multiple-document child with a scrolling view (ImageBig) of its
// TChildImage's picture. It paints the bitmap in place, shows the zoom source as an overlay and
// hands resize, scroll and mouse events to the core's views.
#pragma once

#include <QMdiSubWindow>

#include <array>
#include <functional>

#include "analysis/It8frame.h"
#include "analysis/Point.h"

class QAbstractScrollArea;

namespace calvix {

class ImageView;
class TChildImage;
class TMainFormular;

class ImageWindow final : public QMdiSubWindow {
    Q_OBJECT
public:
    ImageWindow(TMainFormular& core, TChildImage& window);

    // Null once the core has closed the window: from then on nothing is read from it.
    TChildImage* Window() const { return window_; }
    void Detach();

    // Follows the core: caption, scroll ranges and positions, cursor, the zoom source mark,
    // and a repaint when the analysis has drawn into the picture.
    void SyncFromCore();
    // The picture changed in ways the window cannot see: repaint what is visible.
    void RefreshPicture();
    QAbstractScrollArea* View() const;

    // Runs after an event reached the core, so the main window can follow.
    std::function<void()> acted;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // What the analysis changes when it draws into a picture: corners, raster, correction.
    struct PictureMarks {
        const void* pixels = nullptr;
        std::array<Point, 5> corners{};
        RasterGeometry raster;
        bool cornersValid = false;
        bool correctionDone = false;
        bool operator==(const PictureMarks&) const = default;
    };
    PictureMarks MarksOf(const TChildImage& window) const;

    TMainFormular& core_;
    TChildImage* window_;
    ImageView* view_;
    PictureMarks marks_;
};

}  // namespace calvix
