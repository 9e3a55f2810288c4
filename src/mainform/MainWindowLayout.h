// Fixed facts of the main window's layout that its handlers compute with: the status-bar panel
// widths, the tool panel's pages and the help contexts of the window's parts.
#pragma once

namespace calvix {

inline constexpr int StatusPanelCount = 8;
// Panel 0 takes whatever the others leave of the window's width.
inline constexpr int StatusPanelWidths[StatusPanelCount] = {0, 50, 40, 40, 20, 100, 100, 30};
// Space kept free right of the logo label.
inline constexpr int LogoRightMargin = 30;

// The pages of ToolTab, in their order.
enum ToolTabPage { ToolTabInfo = 0, ToolTabSettings, ToolTabZoom, ToolTabIT8Chart, ToolTabQuality, ToolTabPageCount };

// Help contexts (topics of the help pages).
inline constexpr int HelpContextMainWindow = 1000;  // also the "&Info" page and the four menus
inline constexpr int HelpContextToolTab = 2000;     // also the "&IT8 Chart" page
inline constexpr int HelpContextZoomPage = 3000;
inline constexpr int HelpContextSettingsPage = 4000;
inline constexpr int HelpContextFileCommands = 5000;  // open, close, the TWAIN commands, quit
inline constexpr int HelpContextViewCommands = 5100;
inline constexpr int HelpContextWindowCommands = 5200;
inline constexpr int HelpContextLanguageSelector = 100;
inline constexpr int HelpContextQualityPage = 16000;  // the "Quality" page, expert mode

// The help context of a ToolTab page; the page control's own for an index out of range.
int ToolTabPageHelpContext(int page);

// The window's designed size, 1024 x 720, within the screen's free area (an 800 x 600 screen
// would otherwise hide the tool panel and the status bar).
struct WindowSize {
    int width = 0;
    int height = 0;
    bool operator==(const WindowSize&) const = default;
};
inline constexpr WindowSize DesignedMainWindowSize{1024, 720};
WindowSize MainWindowSize(int availableWidth, int availableHeight);

// The tool panel's width for a window width: a third of the window between 300 and 520 pixels,
// and at least what its tab bar needs to show every tab without scroll arrows; never so wide that
// the image area keeps less than 200 pixels.
inline constexpr int ToolPanelMinWidth = 300;
inline constexpr int ToolPanelMaxWidth = 520;
inline constexpr int ImageAreaMinWidth = 200;
int ToolPanelWidth(int windowWidth, int tabBarWidth);

}  // namespace calvix
