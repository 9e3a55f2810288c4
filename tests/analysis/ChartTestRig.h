// The main window as the chart operations see it, for tests: image windows over a recording
// host, a desktop that records its message boxes, the chart-page controls, a temporary data
// folder, and a capture of the lines that reach the splash list.
#pragma once

#include "platform/HeadlessDesktop.h"

#include "FakeClock.h"
#include "TempDir.h"
#include "analysis/ChartCheck.h"
#include "analysis/ImageHost.h"
#include "app/Desktop.h"
#include "app/FormStatus.h"
#include "app/Strings.h"
#include "it8ref/ReferenceGrey.h"

#include <cstdint>
#include <string>
#include <vector>

namespace calvix::test {

class RecordingHost final : public ImageHost {
public:
    void SetStatusPanel(int, const std::string&) override {}
    void SetImageOpen(bool) override {}
    void SetCloseCommandEnabled(bool) override {}
    void ShowInfoLines(const std::vector<std::string>&) override {}
    void SetTopDownChecked(bool checked) override { topDown = checked; }
    bool TopDownChecked() const override { return topDown; }
    void UpdateZoom(TChildImage&) override { ++zoomUpdates; }
    void DrawOverview(TChildImage&) override {}
    OverviewGeometry OverviewSize() const override { return {}; }
    void ClearImageViews() override {}
    void ImageWindowActivated(TChildImage& window) override { activated.push_back(&window); }
    void LowerImageCount() override {}

    bool topDown = false;
    int zoomUpdates = 0;
    std::vector<TChildImage*> activated;
};

// Records every message box and answers OK.
using RecordingDesktop = HeadlessDesktop;

// Lines whose mask carries the splash bit, as the splash list receives them.
class SplashCapture final : public LogDisplay {
public:
    bool MainWindowVisible() const override { return false; }
    void ShowStatusLine(const std::string&) override {}
    bool SplashLogActive() const override { return true; }
    void AppendSplashLine(const std::string& text) override { lines.push_back(text); }

    std::vector<std::string> lines;
};

class ChartRig {
public:
    ChartRig() {
        LogWriter.ResetForTest();
        LogWriter.SetEcho(false);
        LogWriter.SetActive(true);
        LogWriter.Categories().vcl = true;
        LogWriter.SetDisplay(&splash);
    }
    ~ChartRig() { LogWriter.SetDisplay(nullptr); }
    ChartRig(const ChartRig&) = delete;
    ChartRig& operator=(const ChartRig&) = delete;

    // A scan window as the acquisition leaves it.
    TChildImage& AddScan(const ScanBitmap& scan, bool front) {
        TChildImage& window = windows.Create();
        window.isFront = front;
        window.ScanChildImage(dir.File(front ? "Scan_front.bmp" : "Scan_rear.bmp"), scan);
        if (front) {
            windows.SetFrontWindow(&window);
        } else {
            windows.SetRearWindow(&window);
        }
        return window;
    }

    TempDir dir;
    FakeClock clock;
    RecordingHost host;
    RecordingDesktop desktop;
    SplashCapture splash;
    TAppStrings strings{10000};
    MainFormControls controls;
    std::string dataFolder = dir.Path();
    int imageCount = 0;
    std::int32_t gwTolerance = 20;
    std::int32_t blackThreshold = 25;
    ImageWindows windows{ImageServices{host, clock}};
    ChartAnalysis analysis{ChartContext{windows, host, desktop, strings, controls, dataFolder, gwTolerance, blackThreshold, DefaultReferenceGrey, &imageCount}};
};

}  // namespace calvix::test
