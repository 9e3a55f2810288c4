// TMainFormular's TWAIN acquisition: the module it owns, acquireScan that turns a transferred
// image into a scan window and a scan file, and the two menu commands of the File menu.
#include "mainform/MainForm.h"

#include <cstdio>

#include "app/Desktop.h"
#include "scanner/DynamicLibrary.h"
#include "scanner/Twain.h"
#include "scanner/TwainDib.h"

namespace calvix {

void TMainFormular::CreateTwain() {
    const auto& make = ports_.makeTwainLibrary ? ports_.makeTwainLibrary : ports_.makeLibrary;
    twain_ = std::make_unique<Twain>(make ? make() : nullptr, ports_.systemDir,
                                     ports_.clock, ports_.messagePump);
    // The exported TWAIN_DS / TWAIN_DS_RC address this module.
    SetProgramTwain(twain_.get());
}

int TMainFormular::acquireScan(int side) {
    if (!twainLoaded || !twain_ || !appStrings_) return -1;
    DibHandle image = twain_->TwainGetImage(TwainWindowHandle(), side);
    // The acquisition's event loop lets the window system run; should the main window have
    // closed meanwhile, there is no one left to show the scan to; an operator who aborted the
    // scan needs no message about the image that did not come.
    if (closed_ || twain_->AcquisitionAborted()) return -2;
    if (image.Empty()) {
        CALVIX_LOG_ERR(unit::MainForm, "(TWAIN) Zero handle from TwainGetImage()", LogErr);
        ports_.desktop.ShowMessage(appStrings_->MsgErrWarmup.caption, appStrings_->MBoxTitleError.caption,
                                   MessageButtons::Ok);
        return -2;
    }
    DibConversion converted = ConvertDib(image.Data(), image.Size());
    image.Release();
    if (converted.status != DibStatus::Ok) {
        // A header that contradicts its block is refused like a wrong bit depth: the image
        // cannot be converted. Its reason goes to the log first.
        if (converted.status == DibStatus::BadHeader)
            CALVIX_LOG_ERR(unit::MainForm, "TWAIN: image refused, " + converted.reason, LogErr);
        CALVIX_LOG_ERR(unit::MainForm, "TWAIN: Conversion of Bit depth failed!", LogErrBarSplash);
        ports_.desktop.ShowMessage(appStrings_->MsgErrBitDepth.caption, appStrings_->MBoxTitleError.caption,
                                   MessageButtons::Ok);
        return -3;
    }
    ++scanCounter;
    char name[48];
    std::snprintf(name, sizeof name, "/Scan_%s_%d.bmp", side != 0 ? "front" : "rear", scanCounter);
    const std::string path = appDataFolder_ + name;

    TChildImage& window = images_->Create();
    window.isFront = side != 0;
    window.ScanChildImage(path, converted.bitmap);
    if (side != 0)
        images_->SetFrontWindow(&window);
    else
        images_->SetRearWindow(&window);
    // A scan whose file could not be written is still in its window for the analysis; the
    // save logs its own error line.
    window.SaveImage(path);
    ++imageCount;
    return 0;
}

void TMainFormular::SelectTwainSource1Click() {
    if (twain_) twain_->TwainSelectSource(TwainWindowHandle());
}

void TMainFormular::AcquireClick() { acquireScan(1); }

}  // namespace calvix
