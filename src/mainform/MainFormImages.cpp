// TMainFormular's image windows: opening files, the start-up load, closing, and bringing the
// main window's controls in line with the current window.
#include "mainform/MainForm.h"

#include <cstdio>

#include "app/Desktop.h"

namespace calvix {

void TMainFormular::MMOpenFileClick() {
    FileDialogRequest request;
    request.title = "Open Image";
    request.filters = {"Bitmaps (*.bmp)|*.bmp", "JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg", "Alle|*"};
    request.fileName = controls.openDialogFileName;
    if (const auto path = ports_.desktop.OpenFileDialog(request)) {
        controls.openDialogFileName = *path;
        OpenImageFile(*path);
    }
}

int TMainFormular::OpenImageFile(const std::string& path) {
    TChildImage& window = images_->Create();
    const int result = window.LoadChildImage(path);
    if (result == LoadDecodeFailed) {
        // A picture that could not be decoded leaves nothing to show; its window goes again.
        CALVIX_LOG_ERR(unit::MainForm, "Cannot load image file " + path, LogErrBar);
        ++imageCount;
        images_->Close(window);
        return result;
    }
    ++imageCount;
    return result;
}

void TMainFormular::MMenuCloseFileClick() {
    images_->CloseCurrent();
    if (imageCount == 0) controls.closeFile.enabled = false;
}

void TMainFormular::StartupLoadStep() {
    OpenImageFile(controls.openDialogFileName);
    autoloadPending = false;
}

void TMainFormular::CloseImageWindowsStep() {
    while (images_->ChildImage()) {
        images_->CloseCurrent();
        LogStatus("  ... close image!");
    }
}

void TMainFormular::ImageWindowActivated(TChildImage& window) {
    WindowsMoved();
    controls.setCornerButton.enabled = SetCornerButtonEnabled(window);
    // The button shows the mode of the window in front; each window keeps its own.
    controls.setCornerButton.checked = window.setCornerMode;
    controls.storeButton.enabled = !window.cornersPending;
    controls.graphButton.enabled = window.correctionDone;
    if (chart_) {
        for (int slot = 1; slot <= 4; ++slot) {
            const Point p = window.cornerSlots[static_cast<std::size_t>(slot)];
            char text[48];
            std::snprintf(text, sizeof text, "(%d, %d)", p.x, p.y);
            chart_->cornerLabels[static_cast<std::size_t>(slot)] = CornerLabel{text, p.x >= 0 && p.y >= 0};
        }
    }
    views_->WindowActivated(window);
    if (imageWindowsChanged) imageWindowsChanged(&window);
}

}  // namespace calvix
