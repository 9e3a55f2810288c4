// A main window stand-in for image-window tests: records what the windows ask of it.
#pragma once

#include "analysis/ImageChild.h"
#include "analysis/ImageHost.h"

#include <map>
#include <string>
#include <vector>

namespace calvix::test {

class FakeImageHost final : public ImageHost {
public:
    std::map<int, std::string> panels;
    bool imageOpen = false;
    bool closeEnabled = false;
    std::vector<std::string> info;
    bool topDownChecked = true;  // starts checked so that unchecking is visible
    int zoomRedraws = 0;
    int overviewDraws = 0;
    int viewClears = 0;
    int imageCount = 0;
    std::vector<TChildImage*> activated;
    OverviewGeometry overviewSize{20, 10, false};

    void SetStatusPanel(int panel, const std::string& text) override { panels[panel] = text; }
    void SetImageOpen(bool open) override { imageOpen = open; }
    void SetCloseCommandEnabled(bool enabled) override { closeEnabled = enabled; }
    void ShowInfoLines(const std::vector<std::string>& lines) override { info = lines; }
    void SetTopDownChecked(bool checked) override { topDownChecked = checked; }
    bool TopDownChecked() const override { return topDownChecked; }
    void UpdateZoom(TChildImage&) override { ++zoomRedraws; }
    void DrawOverview(TChildImage&) override { ++overviewDraws; }
    OverviewGeometry OverviewSize() const override { return overviewSize; }
    void ClearImageViews() override { ++viewClears; }
    void ImageWindowActivated(TChildImage& window) override { activated.push_back(&window); }
    void LowerImageCount() override { --imageCount; }
};

}  // namespace calvix::test
