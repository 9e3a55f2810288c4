// TMainFormular: the controller behind the main window. It owns the run's state (settings,
// start-up and scanner flags, language) and carries start-up, the 200 ms tick and shut-down.
// The screen and the OS are reached only through ports; a Qt view draws this state.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/FormStatus.h"
#include "app/MainFormControls.h"
#include "app/Splash.h"
#include "app/Strings.h"

namespace calvix {

class Clock;
class Desktop;
class NamedLock;
class SystemInfo;
class UserStore;

// What the controller needs from outside, all owned by the caller and outliving it.
struct MainFormPorts {
    Desktop& desktop;
    UserStore& userStore;
    SystemInfo& system;
    Clock& clock;
    NamedLock* serviceLock = nullptr;  // none: the service interface is taken as free
};

class TMainFormular : public LogDisplay {
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
    // Closes the main window: runs the shut-down once and tells the desktop.
    void Close();
    void FormClose();
    bool Closed() const { return closed_; }

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

    // LogDisplay
    bool MainWindowVisible() const override { return windowShown_ && !closed_; }
    void ShowStatusLine(const std::string& text) override;
    bool SplashLogActive() const override { return splashLogActive; }
    void AppendSplashLine(const std::string& text) override;

    // The message-text form, created by the program entry right after the main window.
    void CreateAppStrings();
    TAppStrings* AppStrings() { return appStrings_.get(); }

    TFormSplash* Splash() { return splash_.get(); }
    void CloseSplash();
    const std::string& StatusPanel(int index) const { return statusPanels_[index]; }
    void SetStatusPanel(int index, const std::string& text);
    bool Transparent() const { return transparent_; }
    const std::string& AppDataFolder() const { return appDataFolder_; }
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
    bool applyChrAdaption = false;

    MainFormControls controls;

private:
    MainFormPorts ports_;
    std::unique_ptr<TFormSplash> splash_;
    std::unique_ptr<TAppStrings> appStrings_;
    std::string appDataFolder_;
    std::string iniFileName_;
    std::string helpFile_;
    std::string statusPanels_[8];
    bool transparent_ = true;
    bool windowShown_ = false;
    bool closed_ = false;
    bool closing_ = false;
    std::int16_t tickCount_ = 0;
    std::uint16_t spinner_ = 0;
    bool flushFailureReported_ = false;
    bool serviceLockHeld_ = false;
};

}  // namespace calvix
