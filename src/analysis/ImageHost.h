// What the image windows need from the main window: status-bar panels, the open-image flag
// and count, the "Close" command, the information panel, the "top down bitmap" check box and
// the zoom and overview views. TMainFormular implements it; tests use a recording fake.
#pragma once

#include <string>
#include <vector>

namespace calvix {

class TChildImage;

// Size of the main window's overview image and its "Keep picture aspect ratio" option.
struct OverviewGeometry {
    int width = 236;
    int height = 131;
    bool keepAspect = false;
};

class ImageHost {
public:
    virtual ~ImageHost() = default;

    // Panel 2 shows the image height, panel 3 its width; an empty text clears a panel.
    virtual void SetStatusPanel(int panel, const std::string& text) = 0;
    virtual void SetImageOpen(bool open) = 0;
    virtual void SetCloseCommandEnabled(bool enabled) = 0;
    // Replaces the information panel's text with these lines; an empty list clears it.
    virtual void ShowInfoLines(const std::vector<std::string>& lines) = 0;
    // The check box "top down bitmap" (TTabCheckBoxTopdown).
    virtual void SetTopDownChecked(bool checked) = 0;
    virtual bool TopDownChecked() const = 0;

    virtual void UpdateZoom(TChildImage& window) = 0;
    virtual void DrawOverview(TChildImage& window) = 0;
    virtual OverviewGeometry OverviewSize() const = 0;
    // Both views back to white, as when no image is open.
    virtual void ClearImageViews() = 0;

    // A window became the current one: bring zoom factor, corner labels, the Set, Store and
    // graph buttons, the zoom view, the overview and its mark in line with it.
    virtual void ImageWindowActivated(TChildImage& window) = 0;
    // An image window closed: imageCount goes down by one.
    virtual void LowerImageCount() = 0;
};

}  // namespace calvix
