// TChildImage: one image window's core state (its picture, information lines, corners, raster
// geometry, zoom state) and the three ways an image enters it: from a file, from a scan, or as
// the helper image of the chart search.
#pragma once

#include "analysis/BmpWriter.h"
#include "analysis/ImageHost.h"
#include "analysis/It8frame.h"
#include "analysis/LoadProgress.h"
#include "analysis/PictureLoader.h"
#include "analysis/Point.h"
#include "analysis/ScanBitmap.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace calvix {

class Clock;

// What every image window uses; shared by all windows of the registry.
struct ImageServices {
    ImageHost& host;
    Clock& clock;
    PictureFormatLoader* otherFormats = nullptr;  // formats beyond BMP and JPEG; none headless
};

// LoadChildImage results besides 0.
inline constexpr int LoadHeaderDumpFailed = -1;  // the BMP file could not be reopened
inline constexpr int LoadDecodeFailed = -2;      // the picture could not be decoded at all

struct ZoomRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend constexpr bool operator==(const ZoomRect&, const ZoomRect&) = default;
};

// What the window's view shows of the picture: its scroll positions and the size of its
// visible client area. The sizes stay 0 until the view first reports them.
struct ImageViewport {
    int scrollX = 0;
    int scrollY = 0;
    int clientWidth = 0;
    int clientHeight = 0;
};

class TChildImage {
public:
    explicit TChildImage(ImageServices services) : services_(services) {}
    TChildImage(const TChildImage&) = delete;
    TChildImage& operator=(const TChildImage&) = delete;

    // Loads an image file: 0, LoadHeaderDumpFailed or LoadDecodeFailed (window left empty;
    // the caller should close it).
    int LoadChildImage(const std::string& path);
    // Why the last load failed (the decoder's reason); empty after a successful one.
    std::string loadError;
    // Takes a copy of a scan that the acquisition delivered.
    void ScanChildImage(const std::string& scanPath, const ScanBitmap& scan);
    // Takes a copy of the helper image and saves it to helperPath; false when the save failed.
    bool HelpChildImage(const std::string& helperPath, const ScanBitmap& helper);
    // Saves the picture as a 24-bit BMP; logs an error line and returns false on failure.
    bool SaveImage(const std::string& path, BmpSaveMode mode = BmpSaveMode::ReplaceAtomically);
    // Why the last save failed; empty after a successful one. Callers that save on the way
    // (the chart check saves the helper image twice) can still tell whether the file is whole.
    std::string saveError;

    ScanBitmap image;
    // The picture as it was loaded or scanned, before the analysis drew its raster, markers and
    // grey colours into `image`: what the image-quality figures read, since the raster lines run
    // a few pixels beside the patch edges that the sharpness is measured on. None for a helper.
    std::shared_ptr<const ScanBitmap> originalImage;
    // The picture came from the scanner in calibration mode, its own tables bypassed; a loaded
    // file may have been scanned any way.
    bool bypassScan = false;
    std::vector<std::string> infoLines;
    bool topDown = false;
    std::string filePath;
    long loadTimeMs = 0;
    std::string caption;

    bool isFront = false;
    std::array<Point, 5> cornerSlots{NotFound, NotFound, NotFound, NotFound, NotFound};
    bool cornersValid = false;
    bool cornersPending = true;
    bool correctionDone = false;
    bool setCornerMode = false;
    // The last press on the picture may set a corner at its release (see ImageViews).
    bool cornerPressArmed = false;
    RasterGeometry raster;

    // View state of the zoom view and the overview.
    int zoomFactor = 8;
    Point zoomCentre;  // set by the view from the window's size when it is first shown
    bool zoomGrid = false;
    ZoomRect zoomSource;
    bool sourceRectDrawn = false;
    bool overviewMarkDrawn = false;
    bool dragging = false;
    bool ready = false;  // the picture is complete; the views draw only then
    ImageViewport viewport;
    std::optional<ScanBitmap> overview;
    bool doubleBuffered = false;  // the "Doublebuffering" option, given to the window's view

private:
    void AddBasicInfoLines(const std::string& path, bool heldAsBitmap);
    void AddTimingLines(std::int64_t startMs, std::uint32_t mask);
    void ShowInMainWindow();
    LoadProgressFn ProgressLogger() const;

    ImageServices services_;
};

}  // namespace calvix
