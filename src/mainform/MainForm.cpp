// TMainFormular: construction, Startup, the language handlers and where log lines show.
#include "mainform/MainForm.h"

#include "mainform/SplashTexts.h"

#include <cstdio>

#include "app/Clock.h"
#include "app/Desktop.h"
#include "app/Language.h"
#include "app/StringTable.h"
#include "app/SystemInfo.h"
#include "assistant/AssistantHost.h"
#include "assistant/assistent.h"
#include "it8ref/It8Ref.h"
#include "it8ref/ReferenceGrey.h"
#include "scanner/DynamicLibrary.h"
#include "scanner/EthernetCmd.h"
#include "scanner/Twain.h"

namespace calvix {

namespace {

// The caller's ports, with the desktop replaced by its counting stand-in.
MainFormPorts Counted(const MainFormPorts& ports, Desktop& desktop) {
    MainFormPorts counted{desktop,           ports.userStore, ports.system,       ports.clock, ports.serviceLock,
                          ports.makeLibrary, ports.systemDir, ports.messagePump, ports.makeTwainLibrary,
                          ports.iccFolder};
    return counted;
}

}  // namespace

TMainFormular::TMainFormular(MainFormPorts ports)
    : countingDesktop_(ports.desktop, loops_), ports_(Counted(ports, countingDesktop_)) {
    LogWriter.SetDisplay(this);
    images_ = std::make_unique<ImageWindows>(ImageServices{*this, ports_.clock});
    CreateViews();
    referenceOptions_ = std::make_unique<ReferenceOptions>(It8Reference());
    ethernet_ = std::make_unique<CEthernetCmd>(ports_.makeLibrary ? ports_.makeLibrary() : nullptr,
                                               ports_.systemDir, ports_.clock);
    try {
        LogStatus("Calvix started ...", LogForced);
        LogStatus("", LogForced);
        CALVIX_LOG_DBG(unit::MainForm, "TMainFormular::TMainFormular()");
        ReadSettings();  // folder, log file name, INI

        LogStatus("initialization ...");
        splashPending = true;
        autoloadPending = true;
        closeRequested = imageOpen = lutReady = serviceChecked = startupReady = false;
        scannerConnected = calibModeOn = duplexScanner = twainLoaded = false;
        imageCount = 0;
        LanguageAuto = true;
        controls.showRasterAndColors.enabled = false;
        controls.graphButton.enabled = false;
        controls.storeButton.enabled = false;
        controls.setCornerButton.enabled = false;
        controls.closeFile.enabled = false;
        controls.infoMemo.clear();

        ReadRegistry();
        Startup();

        doubleBuffered = controls.doubleBuffering.checked;
        controls.viewToolBar.checked = controls.toolBarVisible;
        controls.viewStatusBar.checked = controls.statusBarVisible;
        // The window is created visible (fully transparent in normal mode) once built.
        windowShown_ = true;
    } catch (...) {
        LogWriter.SetDisplay(nullptr);
        throw;
    }
}

TMainFormular::~TMainFormular() { LogWriter.SetDisplay(nullptr); }

void TMainFormular::Startup() {
    CALVIX_LOG_DBG(unit::MainForm, "TMainFormular::Startup()");
    LogInfo("version infos ...");
    int major = 0, minor = 0;
    ports_.system.OsVersion(major, minor);
    LogInfo(LogWriter.Printf("  ...Windows: %d.%d", major, minor));
    char text[96];
    if (const auto v = ports_.system.ProgramVersion()) {
        std::snprintf(text, sizeof text, "v%d.%d.%d build#%d", v->a, v->b, v->c, v->d);
        versionText = text;
        LogInfo(LogWriter.Printf("  ...Calvix: %s", versionText.c_str()));
    } else {
        CALVIX_LOG_ERR(unit::MainForm, "Cannot retrieve version info (set to 0.0.0)", LogErrBar);
        std::snprintf(text, sizeof text, "v%d.%d.%d build#%d", 0, 0, 0, 0);
        versionText = text;
    }
    LogInfo(LogWriter.Printf("application name and path:  %s", ports_.system.ProgramPath().c_str()));
    LogStatus("");
    CALVIX_LOG_VCL(unit::MainForm, LogWriter.Printf("Zoompanel position: %dx %dy", 0, 0));
    TrackBarZoomChange();
}

void TMainFormular::CreateAppStrings() {
    appStrings_ = std::make_unique<TAppStrings>(textBase);
    CreateSubsystems();
}

void TMainFormular::CreateSubsystems() {
    referenceLoader_ = std::make_unique<ReferenceLoader>(It8Reference(), *referenceOptions_, ports_.desktop, *appStrings_);
    chart_ = std::make_unique<ChartAnalysis>(ChartContext{*images_, *this, ports_.desktop, *appStrings_, controls,
                                                          appDataFolder_, GWTolerance, BlackThreshold, ReferenceGreyTable});
    CreateTwain();
}

void TMainFormular::ComboBoxLanguageSelectorChange(const std::string& entry) {
    controls.languageSelector = entry;
    ApplyLanguageSelection();
}

void TMainFormular::ApplyLanguageSelection() {
    const std::string& entry = controls.languageSelector;
    if (entry == "Deutsch") {
        Language = 7;
        LanguageAuto = false;
    } else if (entry == "Français" || entry == "French") {
        Language = 12;
        LanguageAuto = false;
    } else if (entry == "English") {
        Language = 9;
        LanguageAuto = false;
    } else if (entry == "Auto Selection") {
        systemLanguage = ports_.system.DefaultLanguage();
        Language = systemLanguage;
        LanguageAuto = true;
    } else {
        return;
    }
    textBase = TextBaseForLanguage(Language);
    // The help pages sit beside the program, one per language.
    std::string dir = ports_.system.ProgramPath();
    const std::size_t slash = dir.find_last_of('/');
    dir = slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
    helpFile_ = dir + ApplicationTitle + HelpSuffixForLanguage(Language) + ".chm";
    TranslateAll(textBase);
}

void TMainFormular::CheckBoxLoggingClick() {
    LogWriter.SetActive(controls.logging.checked);
    SyncLogCategories();
}

void TMainFormular::SyncLogCategories() {
    LogCategories& c = LogWriter.Categories();
    c.error = controls.error.checked;
    c.info = controls.info.checked;
    c.status = controls.status.checked;
    c.debug = controls.debug.checked;
    c.vcl = controls.vcl.checked;
}

void TMainFormular::CheckBoxTimestampClick() { LogWriter.SetTimestamp(controls.timestamp.checked); }

void TMainFormular::ShowStatusLine(const std::string& text) { SetStatusPanel(0, text); }

void TMainFormular::SetStatusPanel(int index, const std::string& text) {
    if (index < 0 || index >= 8) return;
    statusPanels_[index] = text;
    ports_.desktop.SetStatusPanel(index, text);
}

void TMainFormular::AppendSplashLine(const std::string& text) {
    if (splash_) splash_->Append(text, SplashLineFor(textBase, text));
}

void TMainFormular::CloseSplash() {
    if (!splashOpen) return;
    splashOpen = false;
    splashLogActive = false;
    ports_.desktop.CloseSplash();
}

}  // namespace calvix
