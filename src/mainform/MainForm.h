// TMainFormular: the controller behind the main window. It owns the run's state (settings,
// start-up and scanner flags, language) and carries start-up, the 200 ms tick and shut-down.
// The screen and the OS are reached only through ports; a Qt view draws this state.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "analysis/ChartCheck.h"
#include "analysis/ImageHost.h"
#include "analysis/ImageWindows.h"
#include "profiling/ChartPatches.h"
#include "app/FormStatus.h"
#include "app/MainFormControls.h"
#include "app/Splash.h"
#include "app/Strings.h"
#include "calibration/GreyCorrection.h"
#include "it8ref/ReferenceLoader.h"
#include "it8ref/ReferenceOptions.h"
#include "mainform/MainWindowLayout.h"
#include "mainform/NestedLoops.h"
#include "scanner/CalibModeWatch.h"
#include "scanner/StoreLut.h"
#include "views/ImageViews.h"
#include "views/graph.h"

// SideQuality's header is kept out of here: its field names clash with Qt's keywords.
namespace calvix::quality {
struct SideQuality;
}

namespace calvix {

class CEthernetCmd;
class Clock;
class Desktop;
class DynamicLibrary;
class MessagePump;
class NamedLock;
class SystemInfo;
class Twain;
class TFormAssistent;
class AssistantHost;
class UserStore;

// What the controller needs from outside, all owned by the caller and outliving it.
struct MainFormPorts {
    Desktop& desktop;
    UserStore& userStore;
    SystemInfo& system;
    Clock& clock;
    NamedLock* serviceLock = nullptr;  // none: the service interface is taken as free
    // Loads the scanner maker's service library; none: the library counts as not loaded.
    std::function<std::unique_ptr<DynamicLibrary>()> makeLibrary;
    // The system directory that holds the maker's libraries; empty: not found.
    std::string systemDir;
    // Window events while a TWAIN acquisition waits; none: the wait only sleeps.
    MessagePump* messagePump = nullptr;
    // Loads the TWAIN source manager; none: makeLibrary serves it too.
    std::function<std::unique_ptr<DynamicLibrary>()> makeTwainLibrary = {};
    // The folder the side profiles go to after an acknowledged upload; empty: none are made.
    std::string iccFolder = {};
};

class TMainFormular : public LogDisplay, public ImageHost {
public:
    static constexpr const char* ApplicationTitle = "Calvix";
    static constexpr const char* RegistryKey = "\\Software\\Zelmar GmbH\\Calvix";
    static constexpr const char* DesktopKey = "\\Control Panel\\Desktop";

    // Constructor steps 1-7: settings, language, version; may raise from the settings read.
    explicit TMainFormular(MainFormPorts ports);
    ~TMainFormular() override;
    TMainFormular(const TMainFormular&) = delete;
    TMainFormular& operator=(const TMainFormular&) = delete;

    void Startup();
    void TimerTimer();
    // Closes the main window: runs the shut-down once and tells the desktop. Asked while a
    // message box or file dialog is open, it waits for the answer: the first tick after it
    // carries the close out, so the handler that opened the box finishes first.
    void Close();
    void FormClose();
    bool Closed() const { return closed_; }
    // The shut-down has begun or is done: the tick has nothing left to do.
    bool ShuttingDown() const { return closing_ || closed_; }

    // Settings (INI and user store).
    void ReadSettings();
    void ReadIniFile();
    void ReadRegistry();
    void WriteSettings();

    // Languages.
    void ApplyLanguageSelection();
    // The operator picks a selector entry.
    void ComboBoxLanguageSelectorChange(const std::string& entry);

    // Logging switches on the settings page.
    void CheckBoxLoggingClick();
    void CheckBoxTimestampClick();
    // The log writer reads the five category check boxes at every write.
    void SyncLogCategories();
    void CheckBoxDragFullWindowsClick();

    // Scanner session hooks of the tick and the close handler.
    void ServiceStep();
    void checkServiceInterface();
    void ConnectStep();
    void CloseSession();
    void StartupLoadStep();
    void CloseImageWindowsStep();

    // Image windows.
    ImageWindows& Images() { return *images_; }
    TChildImage* ChildImage() const { return images_->ChildImage(); }
    // File, "Open...": a chosen file goes into a new image window.
    void MMOpenFileClick();
    int OpenImageFile(const std::string& path);
    void MMenuCloseFileClick();

    // IT8 reference (the options group of the chart page).
    ReferenceOptions& referenceOptions() { return *referenceOptions_; }
    std::int32_t LoadReferenceByDialog();
    std::int32_t LoadReferenceByPath(const std::string& path);
    void ButtonTTabIT8ProfSelectClick() { LoadReferenceByDialog(); }
    void CheckBoxTTabIT8ConvertD65Click();
    void UpDownTTabIT8GammaClick();
    void CheckBoxTTabIT8GammaLastClick();

    // Chart detection and checks.
    int CheckIt8Scan(TChildImage* window, bool front);
    int CheckGreyWedge();
    bool IsGrey(PackedColour colour) const;
    void CheckBoxTTabIT8ShowRasterClick();
    void TTabButtonSetMarkerClick();
    void SetCornerAt(TChildImage& window, int x, int y, int clientWidth, int clientHeight);
    void TTabButtonSetAutoClick();
    ChartAnalysis& Chart() { return *chart_; }

    // The Quality page (expert mode): the image-quality figures of the current window's chart.
    // Measured again only when the window, its corners, the reference in force or the language
    // changed since the last call, so a view may ask at every redraw.
    const QualityPageState& QualityPage();
    // The figures behind the page as last measured; none while it shows only its hint.
    const quality::SideQuality* QualityFigures() const { return qualityFigures_.get(); }

    // Grey-scale correction of the current image window.
    void Store();
    // Store, false when it refused (no window, corners that fail the chart check).
    bool StoreChecked();
    int whiteAdaptionPosition = 0;  // the white-adaption slider, 0-4
    const GreyCorrection& Correction() const { return correction_; }

    // Scanner service.
    bool setCalibMode(bool duplex);
    bool clearCalibMode(bool duplex);
    bool storeLUT();
    // Before and after each calibration scan: whether the scanner is still in this run's
    // calibration mode. A mode found lost clears calibModeOn; tellOperator shows the error
    // box of a failed scan step when it does not hold.
    CalibModeCheck checkCalibMode(bool tellOperator = false);
    CalibModeWatch calibModeWatch;
    CEthernetCmd& Ethernet() { return *ethernet_; }

    // TWAIN acquisition; the module exists once the message texts do (CreateAppStrings).
    Twain* TwainModule() { return twain_.get(); }
    // The parent window the TWAIN manager and source are given: opaque, this controller.
    void* TwainWindowHandle() { return this; }
    // side non-zero: front, 0: rear. 0, or -1 (no TWAIN library), -2 (no image), -3 (not a
    // usable 24-bit image).
    int acquireScan(int side);
    void SelectTwainSource1Click();
    void AcquireClick();
    int scanCounter = 0;  // scans taken, numbering the scan files

    // The calibration wizard: created by the scanner session in normal mode and by the menu
    // command in expert mode; a closed wizard is destroyed at the next tick.
    void MMFileCalibrationAssistentClick();
    TFormAssistent* Assistent() const { return assistent_.get(); }
    // The wizard's Help; the desktop shows the topic of the wizard's page.
    void ShowHelpContents();
    // storeLUT's result at shut-down: whether the device took the record.
    bool lutSent = false;
    LutUpload lutUpload = LutUpload::NotSent;
    // After an acknowledged upload: one line per side profile, what was written or why not.
    std::vector<std::string> profileReports;
    // A side's profile could not be written, or a stale one could not be moved aside.
    bool profilesFailed = false;
    // The patches a side's profile is made from at the upload; none for a side without them.
    const std::optional<ChartMeasurement>& ProfilePatches(bool front) const { return profilePatches_[front ? 0 : 1]; }

    // ImageHost
    void SetImageOpen(bool open) override { imageOpen = open; }
    void SetCloseCommandEnabled(bool enabled) override { controls.closeFile.enabled = enabled; }
    void ShowInfoLines(const std::vector<std::string>& lines) override { controls.infoMemo = lines; }
    void SetTopDownChecked(bool checked) override { controls.topDownBitmap.checked = checked; }
    bool TopDownChecked() const override { return controls.topDownBitmap.checked; }
    void UpdateZoom(TChildImage& window) override;
    void DrawOverview(TChildImage& window) override;
    OverviewGeometry OverviewSize() const override;
    void ClearImageViews() override;
    void ImageWindowActivated(TChildImage& window) override;
    // The helper window is not counted when it opens, so the count never goes below zero.
    void LowerImageCount() override {
        if (imageCount > 0) --imageCount;
        WindowsMoved();
        if (imageWindowsChanged) imageWindowsChanged(nullptr);
    }

    // Zoom view, overview and the graph window.
    ImageViews& Views() { return *views_; }
    void MapOriToOver();
    void TrackBarZoomChange() { views_->TrackBarZoomChange(); }
    void TTabZoomCheckBoxShowRasterClick() { views_->TTabZoomCheckBoxShowRasterClick(); }
    // "Show graph": opens the graph window when it is not open, then draws it.
    void SpeedButtonShowGraphClick() { ShowGraph(); }
    void ShowGraph();
    // The graph window closed: it is freed and opens anew next time.
    void GraphFormClose();
    TGraphix* Graph() const { return graph_.get(); }
    bool graphOpen = false;

    // Main window commands, options and window events: the view reports, these decide.
    void MMViewToolBarClick();
    void MMViewStatusBarClick();
    void CheckBoxKnowClick();
    void TTabSettingsCheckBoxDoublebufferingClick();
    void MMHelpAboutClick();
    // The frame's width and the right edge of the tool bar's logo separator.
    void FormResize(int windowWidth, int logoSeparatorRight);
    void SplitterToolTabMoved(int left);
    void SplitterToolbarUpperMoved(int top);
    void ToolTabMouseActivate(int activePage);
    void ToolTabMouseEnter();
    void ToolTabDrawTab(int index);
    void FormShow();
    void FormPaint();
    // What FormResize computed; panel 0 may come out negative, the status bar clips it.
    int statusPanel0Width = 0;
    int labelLogoWidth = 0;
    int toolTabHelpContext = HelpContextToolTab;
    bool doubleBuffered = true;
    // Told when an image window became current (given) or closed (null), so a view can follow
    // at once; a closed window's object is already gone when this runs.
    std::function<void(TChildImage* current)> imageWindowsChanged;

    // LogDisplay
    bool MainWindowVisible() const override { return windowShown_ && !closed_; }
    void ShowStatusLine(const std::string& text) override;
    bool SplashLogActive() const override { return splashLogActive; }
    void AppendSplashLine(const std::string& text) override;

    // The message-text form, created by the program entry right after the main window; the
    // operations that show messages (reference loading, chart checks) come up with it.
    void CreateAppStrings();
    TAppStrings* AppStrings() { return appStrings_.get(); }

    TFormSplash* Splash() { return splash_.get(); }
    void CloseSplash();
    const std::string& StatusPanel(int index) const { return statusPanels_[index]; }
    void SetStatusPanel(int index, const std::string& text) override;
    bool Transparent() const { return transparent_; }
    const std::string& AppDataFolder() const { return appDataFolder_; }
    // Where the side profiles go after an acknowledged upload; empty: none are made.
    const std::string& IccFolder() const { return ports_.iccFolder; }
    const std::string& IniFileName() const { return iniFileName_; }
    const std::string& HelpFile() const { return helpFile_; }
    std::int16_t TickCount() const { return tickCount_; }

    // Start-up and scanner flags.
    bool splashPending = true;
    bool splashOpen = false;
    bool splashLogActive = false;
    bool serviceChecked = false;
    bool startupReady = false;
    bool closeRequested = false;
    bool lutReady = false;
    bool twainLoaded = false;
    bool scannerConnected = false;
    bool calibModeOn = false;
    bool duplexScanner = false;
    bool ledScanner = false;
    std::string scannerSerial;
    std::int32_t warmUpStart = 0;
    bool imageOpen = false;
    int imageCount = 0;
    bool autoloadOnStart = false;
    bool autoloadPending = true;
    std::string versionText;
    bool retryDialogOpen = false;
    bool connectLogged = false;

    // Registry-backed settings; these are the in-memory start values before the key is read.
    bool LanguageAuto = true;
    std::int32_t Language = 0;
    std::uint16_t systemLanguage = 0;
    int textBase = 0;
    std::int32_t WarmUpTime = 0;
    bool SearchScanner = false;
    bool AutoSave = false;
    bool ExpertMode = false;
    std::int32_t ListIT8Index = 0;

    // INI-backed values without a check box.
    std::int32_t logLevel = 128;
    std::int32_t GWTolerance = 0;
    std::int32_t BlackThreshold = 0;

    MainFormControls controls;

private:
    void CreateSubsystems();
    void CreateTwain();
    // The side profiles: patches kept at Store, profiles made once the LUT is acknowledged.
    void KeepProfilePatches(const TChildImage& window);
    void MakeSideProfiles();
    // Moves the side's stored profile aside as .stale and reports why (see the source).
    void SetStaleProfileAside(const std::string& side, const std::string& why, bool failed);
    void CreateAssistent();
    void ReleaseClosedAssistent();
    // What the Quality page was measured from; a window is told apart from one made later at
    // the same address by the epoch, raised whenever windows come, go or change places.
    struct QualityInputs {
        const TChildImage* window = nullptr;
        const ScanBitmap* picture = nullptr;  // the window's picture before drawing: a new one is measured anew
        std::uint64_t epoch = 0;
        std::array<Point, 5> corners{};
        bool cornersValid = false;
        std::string reference;
        double gamma = 1.0;
        bool adapted = false;
        int textBase = 0;
        bool expert = false;
        std::int32_t gwTolerance = 0;
        bool bypassScan = false;
        // The side's tables in the LUT once Store made them: the scan is measured through them.
        std::optional<ChannelTables> tables;
        bool operator==(const QualityInputs&) const = default;
    };
    void MeasureQualityPage(const QualityInputs& inputs);
    void WindowsMoved() { ++qualityEpoch_; }
    bool WizardOnStack() const;

    // Before the ports, which hand it on in place of the caller's desktop.
    NestedLoops loops_;
    CountingDesktop countingDesktop_;
    MainFormPorts ports_;
    // Declared before what refers to it, so it goes last.
    std::unique_ptr<TAppStrings> appStrings_;
    std::unique_ptr<ImageWindows> images_;
    std::unique_ptr<ReferenceOptions> referenceOptions_;
    std::unique_ptr<ReferenceLoader> referenceLoader_;
    std::unique_ptr<ChartAnalysis> chart_;
    void CreateViews();
    std::unique_ptr<ImageViews> views_;
    std::unique_ptr<TGraphix> graph_;
    std::unique_ptr<CEthernetCmd> ethernet_;
    std::unique_ptr<Twain> twain_;
    GreyCorrection correction_;
    std::array<std::optional<ChartMeasurement>, 2> profilePatches_;  // front, rear
    QualityPageState qualityPage_;
    std::shared_ptr<const quality::SideQuality> qualityFigures_;
    std::optional<QualityInputs> qualityInputs_;
    std::uint64_t qualityEpoch_ = 0;
    std::unique_ptr<TFormSplash> splash_;
    std::string appDataFolder_;
    std::string iniFileName_;
    std::string helpFile_;
    std::string statusPanels_[8];
    bool transparent_ = true;
    bool windowShown_ = false;
    bool closed_ = false;
    bool closing_ = false;
    bool closePending_ = false;  // a close asked for while a dialog was open
    std::int16_t tickCount_ = 0;
    std::uint16_t spinner_ = 0;
    bool flushFailureReported_ = false;
    bool serviceLockHeld_ = false;
    // Last, so the wizard goes before everything it refers to.
    std::unique_ptr<AssistantHost> assistentHost_;
    std::unique_ptr<TFormAssistent> assistent_;
};

}  // namespace calvix
