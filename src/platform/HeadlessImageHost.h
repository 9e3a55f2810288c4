// An ImageHost with no main window behind it: offline tools and benchmarks have no status bar,
// views or buttons to update, so every request is accepted and dropped.
#pragma once

#include "analysis/ImageHost.h"

namespace calvix {

class HeadlessImageHost final : public ImageHost {
public:
    void SetStatusPanel(int, const std::string&) override {}
    void SetImageOpen(bool) override {}
    void SetCloseCommandEnabled(bool) override {}
    void ShowInfoLines(const std::vector<std::string>&) override {}
    void SetTopDownChecked(bool checked) override { topDown_ = checked; }
    bool TopDownChecked() const override { return topDown_; }
    void UpdateZoom(TChildImage&) override {}
    void DrawOverview(TChildImage&) override {}
    OverviewGeometry OverviewSize() const override { return {}; }
    void ClearImageViews() override {}
    void ImageWindowActivated(TChildImage&) override {}
    void LowerImageCount() override {}

private:
    bool topDown_ = false;
};

}  // namespace calvix
