// Image window: the child frame around the view, its caption and its close.
#include "gui/ImageWindow.h"

#include <QCloseEvent>

#include "gui/ImageView.h"
#include "mainform/MainForm.h"

namespace calvix {

ImageWindow::ImageWindow(TMainFormular& core, TChildImage& window) : core_(core), window_(&window) {
    setObjectName("ChildImage");
    // The core frees the window; this frame goes when the main window sees it gone.
    setAttribute(Qt::WA_DeleteOnClose, false);
    view_ = new ImageView(core, this);
    view_->acted = [this] {
        if (acted) acted();
    };
    setWidget(view_);
    // The click that brings the window to the front reaches the view right after.
    connect(this, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates before, Qt::WindowStates now) {
        if (!(before & Qt::WindowActive) && (now & Qt::WindowActive)) view_->NoteActivated();
    });
    view_->SetWindow(window_);
    SyncFromCore();
}

void ImageWindow::Detach() {
    window_ = nullptr;
    view_->SetWindow(nullptr);
}

QAbstractScrollArea* ImageWindow::View() const { return view_; }

ImageWindow::PictureMarks ImageWindow::MarksOf(const TChildImage& window) const {
    return {window.image.Data(), window.cornerSlots, window.raster, window.cornersValid, window.correctionDone};
}

void ImageWindow::SyncFromCore() {
    if (!window_) return;
    const QString caption = QString::fromStdString(window_->caption);
    if (windowTitle() != caption) setWindowTitle(caption);
    view_->UpdateRanges();
    view_->ApplyCoreScroll();
    const Qt::CursorShape cursor = window_->setCornerMode ? Qt::CrossCursor : Qt::ArrowCursor;
    if (view_->viewport()->cursor().shape() != cursor) view_->viewport()->setCursor(cursor);
    const PictureMarks marks = MarksOf(*window_);
    if (marks != marks_) {
        marks_ = marks;
        RefreshPicture();
    }
    view_->RefreshMark();
}

void ImageWindow::RefreshPicture() { view_->viewport()->update(); }

void ImageWindow::closeEvent(QCloseEvent* event) {
    // Closing frees the core's window; it tells the main window, which then takes this frame
    // away.
    if (window_) core_.Images().Close(*window_);
    event->accept();
}

}  // namespace calvix
