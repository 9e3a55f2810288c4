// TMainFormular's small window handlers: the View commands, the hidden double-buffering
// options, the about command, and the frame's resize, splitter, page-control, show and paint
// events with their "VCL:" lines.
#include "mainform/MainForm.h"

#include <algorithm>

#include <string>

namespace calvix {

WindowSize MainWindowSize(int availableWidth, int availableHeight) {
    // A screen that reports no size (none attached yet) keeps the designed size.
    if (availableWidth <= 0 || availableHeight <= 0) return DesignedMainWindowSize;
    return {std::min(DesignedMainWindowSize.width, availableWidth),
            std::min(DesignedMainWindowSize.height, availableHeight)};
}

int ToolPanelWidth(int windowWidth, int tabBarWidth) {
    const int share = std::clamp(windowWidth / 3, ToolPanelMinWidth, ToolPanelMaxWidth);
    const int wanted = std::max(share, tabBarWidth);
    return std::max(std::min(wanted, windowWidth - ImageAreaMinWidth), std::min(ToolPanelMinWidth, windowWidth / 2));
}

int ToolTabPageHelpContext(int page) {
    switch (page) {
    case ToolTabInfo: return HelpContextMainWindow;
    case ToolTabSettings: return HelpContextSettingsPage;
    case ToolTabZoom: return HelpContextZoomPage;
    case ToolTabIT8Chart: return HelpContextToolTab;
    case ToolTabQuality: return HelpContextQualityPage;
    default: return HelpContextToolTab;
    }
}

void TMainFormular::MMViewToolBarClick() {
    controls.viewToolBar.checked = !controls.viewToolBar.checked;
    controls.toolBarVisible = controls.viewToolBar.checked;
}

void TMainFormular::MMViewStatusBarClick() {
    controls.viewStatusBar.checked = !controls.viewStatusBar.checked;
    controls.statusBarVisible = controls.viewStatusBar.checked;
}

void TMainFormular::CheckBoxKnowClick() { controls.doubleBuffering.enabled = controls.know.checked; }

void TMainFormular::TTabSettingsCheckBoxDoublebufferingClick() {
    doubleBuffered = controls.doubleBuffering.checked;
    if (TChildImage* window = ChildImage()) window->doubleBuffered = doubleBuffered;
}

// The about window itself is the view's; it is created and shown, not modally, right after.
void TMainFormular::MMHelpAboutClick() { CALVIX_LOG_DBG(unit::MainForm, "TMainFormular::MMHelpAboutClick()"); }

void TMainFormular::FormResize(int windowWidth, int logoSeparatorRight) {
    int others = 0;
    for (int panel = 1; panel < StatusPanelCount; ++panel) others += StatusPanelWidths[panel];
    statusPanel0Width = windowWidth - others;
    CALVIX_LOG_VCL(unit::MainForm, "Adjust status bar: " + std::to_string(statusPanel0Width));
    MapOriToOver();
    labelLogoWidth = windowWidth - logoSeparatorRight - LogoRightMargin;
}

void TMainFormular::SplitterToolTabMoved(int left) {
    CALVIX_LOG_VCL(unit::MainForm, LogWriter.Printf("Toolbar area changed! Splitter Client now at %ld", static_cast<long>(left)));
    if (TChildImage* window = ChildImage()) UpdateZoom(*window);
}

void TMainFormular::SplitterToolbarUpperMoved(int top) {
    CALVIX_LOG_VCL(unit::MainForm, LogWriter.Printf("Toolbar area changed! Splitter Upper now at %ld", static_cast<long>(top)));
    if (TChildImage* window = ChildImage()) UpdateZoom(*window);
}

void TMainFormular::ToolTabMouseActivate(int activePage) {
    CALVIX_LOG_VCL(unit::MainForm, "ToolTab: event 'MouseActivate' ...");
    toolTabHelpContext = ToolTabPageHelpContext(activePage);
}

void TMainFormular::ToolTabMouseEnter() { CALVIX_LOG_VCL(unit::MainForm, "ToolTab: event 'MouseEnter' ..."); }

void TMainFormular::ToolTabDrawTab(int index) {
    CALVIX_LOG_VCL(unit::MainForm, LogWriter.Printf("ToolTab: event 'DrawTab', index %d", index));
}

void TMainFormular::FormShow() { CALVIX_LOG_VCL(unit::MainForm, "eventhandler MainForm.OnShow"); }
void TMainFormular::FormPaint() { CALVIX_LOG_VCL(unit::MainForm, "eventhandler MainForm.OnPaint"); }

}  // namespace calvix
