// The loading operations of an image window: decoding, the information lines with the BMP
// header dump, the log lines and their timing, and the main window's panels and views.

#include "analysis/ImageChild.h"

#include "analysis/BmpHeaderDump.h"
#include "analysis/BmpWriter.h"
#include "analysis/JpegDecoder.h"
#include "analysis/Overview.h"
#include "app/AtomicFile.h"
#include "app/Clock.h"
#include "app/FormStatus.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>

namespace calvix {
namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// ".JPG" also matches ".JPEG"; the test runs over the whole upper-cased path, folders included.
bool NamesJpeg(const std::string& path) {
    std::string upper = path;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper.find(".JPG") != std::string::npos || upper.find(".JPEG") != std::string::npos;
}

// Only the lower-case extension gets the header dump.
bool HasBmpExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    return dot != std::string::npos && path.compare(dot + 1, std::string::npos, "bmp") == 0;
}

}  // namespace

LoadProgressFn TChildImage::ProgressLogger() const {
    return [](LoadStage stage, int percent, const std::string& message) {
        switch (stage) {
            case LoadStage::Starting: LogStatus(Format("\tStage: Starting %d%%", percent)); break;
            case LoadStage::Running: LogStatus(Format("\tDone %d%%", percent)); break;
            case LoadStage::Ending: LogStatus(Format("\tStage: Ending %d%%", percent)); break;
        }
        LogStatus("\tMessage: " + message);
    };
}

void TChildImage::AddBasicInfoLines(const std::string& path, bool heldAsBitmap) {
    infoLines.clear();
    infoLines.push_back("Filename: " + FileNamePart(path));
    infoLines.push_back(Format("Image size: %dpix * %dpix", image.Width(), image.Height()));
    infoLines.push_back(heldAsBitmap ? "Imagetype: Bitmap" : "Imagetype: Graphic");
}

void TChildImage::AddTimingLines(std::int64_t startMs, std::uint32_t mask) {
    loadTimeMs = static_cast<long>(services_.clock.ElapsedMs() - startMs);
    LogStatus(Format("Image height: %ldpix", static_cast<long>(image.Height())), mask);
    LogStatus(Format("Image width: %ldpix", static_cast<long>(image.Width())), mask);
    const std::string timing = Format("Image loaded in %ldms", loadTimeMs);
    LogStatus(timing, mask);
    infoLines.push_back(timing);
}

void TChildImage::ShowInMainWindow() {
    ImageHost& host = services_.host;
    host.SetStatusPanel(2, std::to_string(image.Height()));
    host.SetStatusPanel(3, std::to_string(image.Width()));
    host.SetImageOpen(true);
    host.SetCloseCommandEnabled(true);
    host.ShowInfoLines(infoLines);
    // The picture is complete from here on, so the views may draw it.
    ready = true;
    host.UpdateZoom(*this);
    if (!overview) overview = MakeOverviewBitmap(image, host.OverviewSize());
    host.DrawOverview(*this);
}

int TChildImage::LoadChildImage(const std::string& path) {
    CALVIX_LOG_DBG(unit::ImageChild, "ChildImage.LoadChildImage()");
    const std::int64_t start = services_.clock.ElapsedMs();
    ImageHost& host = services_.host;

    filePath = path;
    loadError.clear();
    const LoadProgressFn progress = ProgressLogger();
    // Only the generic picture loader reports progress to the log; a file named as JPEG goes
    // straight to the JPEG decoder, as it always has.
    PictureResult picture = NamesJpeg(path) ? LoadJpegFile(path) : LoadPicture(path, services_.otherFormats, progress);
    if (!picture.ok) {
        // Without a picture there is nothing to describe or show; the window stays empty and
        // the operator learns why from the log and the information panel.
        CALVIX_LOG_ERR(unit::ImageChild, "cannot load image '" + path + "': " + picture.error, LogErrBar);
        infoLines.clear();
        infoLines.push_back("Filename: " + FileNamePart(path));
        infoLines.push_back("Error: " + picture.error);
        loadError = picture.error;
        originalImage.reset();
        host.ShowInfoLines(infoLines);
        return LoadDecodeFailed;
    }
    image = std::move(picture.image);
    originalImage = std::make_shared<const ScanBitmap>(image);
    bypassScan = false;
    // A new picture needs a new overview; one kept from before would show the old picture.
    overview.reset();
    AddBasicInfoLines(path, picture.heldAsBitmap);
    host.SetTopDownChecked(false);

    if (HasBmpExtension(path)) {
        BmpHeaderDump dump;
        if (!DumpBmpHeaders(path, dump)) {
            loadError = "the file cannot be opened again for its header";
            topDown = false;
            ready = true;
            return LoadHeaderDumpFailed;
        }
        infoLines.insert(infoLines.end(), dump.lines.begin(), dump.lines.end());
        host.SetTopDownChecked(dump.heightNegative);
        topDown = host.TopDownChecked();
        infoLines.push_back("");
        // Our bitmaps always hold their rows top first, so the loaded height is positive.
        const int height = image.Height();
        infoLines.push_back(Format(height < 0 ? "BM Height negativ! (%d)" : "BM Height positiv! (%d)", height));
    } else {
        topDown = false;
    }

    caption = path;
    host.SetImageOpen(true);
    host.SetCloseCommandEnabled(true);
    LogStatus(Format("loading file: %s", path.c_str()));
    host.SetStatusPanel(2, std::to_string(image.Height()));
    host.SetStatusPanel(3, std::to_string(image.Width()));
    AddTimingLines(start, LogSta);
    ShowInMainWindow();
    return 0;
}

void TChildImage::ScanChildImage(const std::string& scanPath, const ScanBitmap& scan) {
    CALVIX_LOG_DBG(unit::ImageChild, "ChildImage.ScanChildImage()");
    const std::int64_t start = services_.clock.ElapsedMs();
    filePath = scanPath;
    image = scan;
    originalImage = std::make_shared<const ScanBitmap>(scan);
    bypassScan = true;
    overview.reset();
    topDown = false;
    AddBasicInfoLines(scanPath, true);
    services_.host.SetTopDownChecked(false);
    caption = isFront ? "IT8 Front Image" : "IT8 Rear Image";
    LogInfo(Format("Scanned image filename: %s", scanPath.c_str()), LogInf);
    AddTimingLines(start, LogSta);
    ShowInMainWindow();
}

bool TChildImage::HelpChildImage(const std::string& helperPath, const ScanBitmap& helper) {
    CALVIX_LOG_DBG(unit::ImageChild, "ChildImageHelpChildImage()");
    const std::int64_t start = services_.clock.ElapsedMs();
    filePath = helperPath;
    image = helper;
    originalImage.reset();
    bypassScan = false;
    overview.reset();
    topDown = false;
    AddBasicInfoLines(helperPath, true);
    services_.host.SetTopDownChecked(false);
    caption = "Helper Image";
    LogStatus(Format("Helper image filename: %s", helperPath.c_str()));
    const bool saved = SaveImage(helperPath, BmpSaveMode::OverwriteInPlace);
    AddTimingLines(start, LogSta);
    ShowInMainWindow();
    return saved;
}

bool TChildImage::SaveImage(const std::string& path, BmpSaveMode mode) {
    std::string error;
    if (SaveBmpFile(image, path, error, mode)) {
        saveError.clear();
        return true;
    }
    CALVIX_LOG_ERR(unit::ImageChild, "cannot save image: " + error, LogErrBar);
    saveError = error;
    return false;
}

}  // namespace calvix
