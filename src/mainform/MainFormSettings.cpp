// TMainFormular's settings: the data folder, the INI file and the per-user store, read once at
// construction and written once at shut-down, each step with its log line.
#include "mainform/MainForm.h"

#include <memory>
#include <type_traits>

#include "app/Desktop.h"
#include "app/Exceptions.h"
#include "app/IniFile.h"
#include "app/Language.h"
#include "app/SystemInfo.h"
#include "app/UserStore.h"

namespace calvix {
namespace {

const char* OnOff(bool on) { return on ? "on" : "off"; }

constexpr const char* kLanguagesImplemented =
    "0x0c07,0x0407,0x1407,0x1007,0x0807(German) "
    "0x0c09,0x2809,0x1009,0x2409,0x4009,0x1809,0x1809,0x2009,0x4409,0x1409,0x3409,0x4809,0x1c09,0x2c09,0x0809,"
    "0x0409,0x3009 (English)";

// A text value that may be missing reads as empty, as the registry's string read does.
std::string ReadTextOrEmpty(const UserStoreKey& key, const std::string& name) {
    return key.ValueExists(name) ? key.ReadString(name) : std::string();
}

// Stands in for a store that cannot be read: every value is missing, so each takes the default
// it would take in an empty key, and nothing is written over the file.
class DefaultsOnlyKey final : public UserStoreKey {
public:
    bool ValueExists(const std::string&) const override { return false; }
    std::int32_t ReadInteger(const std::string& name) const override { throw Missing(name); }
    bool ReadBool(const std::string& name) const override { throw Missing(name); }
    std::string ReadString(const std::string& name) const override { throw Missing(name); }
    void WriteInteger(const std::string&, std::int32_t) override {}
    void WriteBool(const std::string&, bool) override {}
    void WriteString(const std::string&, const std::string&) override {}

private:
    static ERegistryException Missing(const std::string& name) {
        return ERegistryException("Invalid registry data type or missing value '" + name + "'");
    }
};

}  // namespace

void TMainFormular::ReadSettings() {
    LogInfo("identifying application data path ...");
    const std::string common = ports_.system.CommonAppDataFolder();
    appDataFolder_.clear();
    if (!common.empty()) {
        appDataFolder_ = common + "/Zelmar GmbH";
        ports_.system.CreateDirectory(appDataFolder_);
        appDataFolder_ += "/Calvix";
        ports_.system.CreateDirectory(appDataFolder_);
    }
    LogWriter.SetFileName(appDataFolder_ + "/" + ApplicationTitle + ".log");
    LogInfo(appDataFolder_);
    iniFileName_ = appDataFolder_ + "/" + ApplicationTitle + ".ini";
    ReadIniFile();
}

void TMainFormular::ReadIniFile() {
    LogStatus("reading INI file ...", LogForcedSplash);
    IniFile ini;
    std::string loadError;
    // A file that cannot be read gives every INI default, as a missing one does: a tolerance and
    // black threshold of 0 would fail every chart check. Shut-down leaves such a file alone.
    const bool loaded = ini.Load(iniFileName_, &loadError);
    auto say = [](const std::string& text, std::uint32_t mask = LogSta) { LogStatus(text, mask); };

    controls.status.checked = true;
    SyncLogCategories();
    controls.logging.checked = ini.ReadBool("Logging", "Active", true);
    LogWriter.SetActive(controls.logging.checked);
    say(std::string("  ... logging switched ") + OnOff(controls.logging.checked), LogForcedSplash);
    controls.timestamp.checked = ini.ReadBool("Logging", "Timestamp", true);
    LogWriter.SetTimestamp(controls.timestamp.checked);
    say(std::string("  ... timestamp switched ") + OnOff(controls.timestamp.checked), LogForcedSplash);
    if (!loaded) {
        // Logged once the master switch is on, so that the failure reaches the log.
        CALVIX_LOG_ERR(unit::MainForm, "Reading INI file failed!", LogErr);
        CALVIX_LOG_ERR(unit::MainForm, loadError, LogErr);
    }

    struct Category {
        const char* key;
        bool def;
        CheckBoxState& box;
        const char* onText;
        const char* offText;
    };
    const Category categories[] = {
        {"Debug", true, controls.debug, "  ... logging of Debug messages (> DBG:) switched on",
         "  ... logging of Debug messages switched off"},
        {"Info", true, controls.info, "  ... logging of Info messages (> INF:) switched on",
         "  ... logging of Info messages switched off"},
        {"Error", true, controls.error, "  ... logging of Error messages (> ERR:) switched on",
         "  ... logging of Error messages switched off"},
        {"VCL", false, controls.vcl, "  ... logging of VCL messages (> VCL:) switched on",
         "  ... logging of VCL messages switched off"},
    };
    for (const Category& c : categories) {
        c.box.checked = ini.ReadBool("Logging", c.key, c.def);
        SyncLogCategories();
        say(c.box.checked ? c.onText : c.offText);
    }
    logLevel = ini.ReadInteger("Logging", "LogLevel", 128);
    LogWriter.SetLevel(logLevel);
    GWTolerance = ini.ReadInteger("Miscellaneous", "GWTolerance", 20);
    say(LogWriter.Printf("  ... grey wedge tolerance set to %d", GWTolerance));
    BlackThreshold = ini.ReadInteger("Miscellaneous", "BlackThreshold", 25);
    say(LogWriter.Printf("  ... helper image black threshold set to %d", BlackThreshold));
    // Setting the box from the file is no click: the reference greys stay as they are.
    bool& adapt = referenceOptions_->CheckBoxTTabIT8ConvertD65.checked;
    adapt = ini.ReadBool("Calibration", "ApplyChrAdaption", false);
    say(std::string("  ... apply chromatic adaption: ") + (adapt ? "yes" : "no"));
    const bool status = ini.ReadBool("Logging", "Status", true);
    say(status ? "  ... logging of Status messages (> STA:) switched on"
               : "  ... logging of Status messages switched off");
    controls.status.checked = status;
    SyncLogCategories();
    say("  ... ok!");
}

void TMainFormular::ReadRegistry() {
    LogStatus("reading registry ...");
    // A first start finds no key yet. Opened without creating it, every setting would keep its
    // start value and the scanner would not even be searched: the key is created here and
    // filled with the defaults below, as an installer would have prepared it.
    std::unique_ptr<UserStoreKey> key = ports_.userStore.OpenKey(RegistryKey, true);
    // A store that exists but cannot be read, or that cannot take the new key, is left as it
    // is; the defaults apply all the same.
    std::string unreadable;
    if (!key) {
        unreadable = ports_.userStore.ReadError();
        if (unreadable.empty()) unreadable = "the settings key cannot be created";
        CALVIX_LOG_ERR(unit::MainForm, "Reading registry failed!", LogErr);
        CALVIX_LOG_ERR(unit::MainForm, unreadable + " (left untouched, the defaults apply)", LogErr);
        key = std::make_unique<DefaultsOnlyKey>();
    }
    key->WriteString("LanguagesImplemented", kLanguagesImplemented);
    if (key->ValueExists("LanguageAuto")) {
        LanguageAuto = key->ReadBool("LanguageAuto");
    } else {
        LanguageAuto = true;
        key->WriteBool("LanguageAuto", true);
    }
    systemLanguage = ports_.system.DefaultLanguage();
    if (LanguageAuto) {
        Language = systemLanguage;
    } else if (key->ValueExists("Language")) {
        Language = key->ReadInteger("Language");
    } else {
        Language = systemLanguage;
        key->WriteInteger("Language", Language);
    }
    controls.languageSelector = LanguageAuto ? "Auto Selection" : SelectorTextForLanguage(Language);
    ApplyLanguageSelection();

    auto readOrCreate = [&](const char* name, auto def, auto& into) {
        using T = std::decay_t<decltype(into)>;
        if (key->ValueExists(name)) {
            if constexpr (std::is_same_v<T, bool>) into = key->ReadBool(name);
            else into = key->ReadInteger(name);
        } else {
            into = def;
            if constexpr (std::is_same_v<T, bool>) key->WriteBool(name, def);
            else key->WriteInteger(name, def);
        }
    };
    readOrCreate("WarmUpTime", std::int32_t{300}, WarmUpTime);
    readOrCreate("SearchScanner", true, SearchScanner);
    readOrCreate("AutoSave", false, AutoSave);
    readOrCreate("ExpertMode", false, ExpertMode);

    if (ExpertMode) {
        LogStatus("mode: Expert!");
        if (key->ValueExists("LoadFileOnStartup")) {
            controls.loadLastFileOnStartup.checked = key->ReadBool("LoadFileOnStartup");
        } else {
            controls.loadLastFileOnStartup.checked = false;
            key->WriteBool("LoadFileOnStartup", false);
        }
        autoloadOnStart = controls.loadLastFileOnStartup.checked;
        if (autoloadOnStart) {
            LogStatus("Scheduled: Image autoload on startup");
            controls.openDialogFileName = ReadTextOrEmpty(*key, "LoadFile");
            if (!controls.openDialogFileName.empty()) {
                LogStatus(LogWriter.Printf("  file to load: %s", controls.openDialogFileName.c_str()));
            } else {
                autoloadOnStart = false;
                controls.loadLastFileOnStartup.checked = false;
            }
        }
    } else {
        LogStatus("mode: Normal!");
    }
    readOrCreate("ListIT8Index", std::int32_t{-1}, ListIT8Index);
    controls.openFile.visible = !SearchScanner || ExpertMode;
    if (ExpertMode) controls.optionsGroupVisible = true;

    if (auto desktopKey = ports_.userStore.OpenKey(DesktopKey, false)) {
        // Only a present value is read; a text that is not an integer raises, as a failed
        // conversion does.
        if (desktopKey->ValueExists("DragFullWindows")) {
            const std::string text = desktopKey->ReadString("DragFullWindows");
            std::int32_t value = 0;
            if (!ParseInt32(text, value)) throw EConvertError("'" + text + "' is not a valid integer value");
            controls.dragFullWindows.checked = value != 0;
        }
    }
    if (unreadable.empty()) LogStatus("  ... ok!");
}

void TMainFormular::CheckBoxDragFullWindowsClick() {
    if (auto desktopKey = ports_.userStore.OpenKey(DesktopKey, false))
        desktopKey->WriteString("DragFullWindows", controls.dragFullWindows.checked ? "1" : "0");
}

void TMainFormular::WriteSettings() {
    LogStatus("  ... saving registry");
    try {
        if (auto key = ports_.userStore.OpenKey(RegistryKey, true)) {
            key->WriteBool("LoadFileOnStartup", controls.loadLastFileOnStartup.checked);
            key->WriteString("LoadFile", controls.openDialogFileName);
            key->WriteInteger("ListIT8Index", ListIT8Index);
            key->WriteBool("LanguageAuto", LanguageAuto);
            key->WriteInteger("Language", Language);
        } else {
            CALVIX_LOG_ERR(unit::MainForm, "Writing registry failed!", LogErr);
            if (const std::string why = ports_.userStore.ReadError(); !why.empty())
                CALVIX_LOG_ERR(unit::MainForm, why + " (left untouched)", LogErr);
        }
    } catch (const Exception& e) {
        // The INI file and the rest of the shut-down must not be lost to a store that fails.
        CALVIX_LOG_ERR(unit::MainForm, "Writing registry failed!", LogErr);
        CALVIX_LOG_ERR(unit::MainForm, e.what(), LogErr);
    }

    LogStatus("  ... writing INI file");
    IniFile ini;
    std::string error;
    if (!ini.Load(iniFileName_, &error)) {
        // An existing file that cannot be read is not replaced: its foreign keys would be lost.
        CALVIX_LOG_ERR(unit::MainForm, "Writing INI file failed!", LogErr);
        CALVIX_LOG_ERR(unit::MainForm, error, LogErr);
        return;
    }
    ini.WriteBool("Logging", "Active", controls.logging.checked);
    ini.WriteBool("Logging", "Timestamp", controls.timestamp.checked);
    ini.WriteBool("Logging", "Debug", controls.debug.checked);
    ini.WriteBool("Logging", "Info", controls.info.checked);
    ini.WriteBool("Logging", "Error", controls.error.checked);
    ini.WriteBool("Logging", "Status", controls.status.checked);
    ini.WriteBool("Logging", "VCL", controls.vcl.checked);
    ini.WriteInteger("Logging", "LogLevel", logLevel);
    ini.WriteInteger("Miscellaneous", "GWTolerance", GWTolerance);
    ini.WriteInteger("Miscellaneous", "BlackThreshold", BlackThreshold);
    ini.WriteBool("Calibration", "ApplyChrAdaption", referenceOptions_->CheckBoxTTabIT8ConvertD65.checked);
    if (!ini.Save(iniFileName_, &error)) {
        CALVIX_LOG_ERR(unit::MainForm, "Writing INI file failed!", LogErr);
        CALVIX_LOG_ERR(unit::MainForm, error, LogErr);
        return;
    }
    LogStatus("  ... ok!", LogForced);
}

}  // namespace calvix
