// Settings at start and at shut-down: first runs, kept foreign keys, the log lines they leave.
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include "MainFormFixture.h"
#include "app/Exceptions.h"
#include "app/IniFile.h"
#include "app/StringTable.h"
#include "platform/RegFileUserStore.h"

namespace calvix::test {
namespace {

using Store = MemoryUserStore;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;

TEST_F(MainFormTest, FirstRunLogsDefaultsAndLeavesCompleteFiles) {
    Start();
    for (const char* line : {"STA: Calvix started ...", "STA:   ... timestamp switched on",
                             "STA:   ... logging of Debug messages (> DBG:) switched on",
                             "STA:   ... logging of VCL messages switched off",
                             "STA:   ... grey wedge tolerance set to 20",
                             "STA:   ... helper image black threshold set to 25",
                             "STA:   ... apply chromatic adaption: no", "INF:   ...Calvix: v1.1.0 build#7  "})
        EXPECT_TRUE(Logged(line)) << line;
    EXPECT_TRUE(form->SearchScanner && store.keys.at(Key).at("SearchScanner") == Store::Value{1});
    form->Close();

    EXPECT_EQ(ReadFileText(DataFile("Calvix.ini")),
              "[Logging]\r\nActive=1\r\nTimestamp=1\r\nDebug=1\r\nInfo=1\r\nError=1\r\nStatus=1\r\nVCL=0\r\n"
              "LogLevel=128\r\n\r\n[Miscellaneous]\r\nGWTolerance=20\r\nBlackThreshold=25\r\n\r\n"
              "[Calibration]\r\nApplyChrAdaption=0\r\n");
    const auto& values = store.keys.at(Key);
    ASSERT_EQ(values.size(), 10u);
    EXPECT_EQ(values.at("LoadFileOnStartup"), Store::Value{0});
    EXPECT_EQ(values.at("LoadFile"), Store::Value{std::string()});
    EXPECT_EQ(values.at("ListIT8Index"), Store::Value{-1});
    EXPECT_EQ(values.at("LanguageAuto"), Store::Value{1});
    EXPECT_EQ(values.at("Language"), Store::Value{0x0409});
    EXPECT_EQ(ReadFileText(DataFile("Calvix.log")).rfind(std::string(79, '=') + "\r\n\nCalvix Log File", 0), 0u);
}

TEST_F(MainFormTest, EmptyKeyIsFilledWithDefaultsAndForeignIniKeysSurvive) {
    store.keys[Key];
    mkdir((dir.Path() + "/Zelmar GmbH").c_str(), 0755);
    mkdir((dir.Path() + "/Zelmar GmbH/Calvix").c_str(), 0755);
    WriteFileText(DataFile("Calvix.ini"), "[Logging]\r\nMine=42\r\nLogLevel=100\r\n[Extra]\r\nk=v\r\n");
    Start();
    const auto& values = store.keys.at(Key);
    EXPECT_EQ(values.count("Language"), 0u);
    EXPECT_EQ(values.at("WarmUpTime"), Store::Value{300});
    EXPECT_EQ(values.at("SearchScanner"), Store::Value{1});
    EXPECT_EQ(values.at("AutoSave"), Store::Value{0});
    EXPECT_EQ(values.at("ExpertMode"), Store::Value{0});
    EXPECT_EQ(values.at("ListIT8Index"), Store::Value{-1});
    EXPECT_EQ(values.at("LanguageAuto"), Store::Value{1});
    EXPECT_EQ(values.count("LanguagesImplemented"), 1u);
    EXPECT_TRUE(form->SearchScanner);
    EXPECT_EQ(form->textBase, 10000);
    EXPECT_FALSE(form->controls.openFile.visible);  // scanner searched, normal mode
    form->controls.logging.checked = true;
    form->SetStatusPanel(0, "");
    form->Close();
    const std::string ini = ReadFileText(DataFile("Calvix.ini"));
    EXPECT_NE(ini.find("Mine=42\r\n"), std::string::npos);
    EXPECT_NE(ini.find("[Extra]\r\nk=v\r\n"), std::string::npos);
    EXPECT_NE(ini.find("LogLevel=100\r\n"), std::string::npos);  // written back as read
    EXPECT_EQ(values.count("Language"), 1u);
}

TEST_F(MainFormTest, StatusZeroShowsItsOwnLineButNotTheFollowingOk) {
    mkdir((dir.Path() + "/Zelmar GmbH").c_str(), 0755);
    mkdir((dir.Path() + "/Zelmar GmbH/Calvix").c_str(), 0755);
    WriteFileText(DataFile("Calvix.ini"), "[Logging]\nStatus=0\n");
    Start();
    const long off = IndexOf("STA:   ... logging of Status messages switched off");
    ASSERT_LT(off, static_cast<long>(LogTexts().size()));
    EXPECT_NE(LogTexts()[static_cast<std::size_t>(off) + 1], "STA:   ... ok!");
}

TEST_F(MainFormTest, LoadFileCountsOnlyInExpertModeWithLoadOnStartup) {
    struct Case {
        bool expert, onStartup;
        std::string file;
        bool scheduled;
        int storedOnStartup;
    };
    for (const Case& c : {Case{true, true, "/scans/a.bmp", true, 1}, Case{false, true, "/scans/a.bmp", false, 0},
                          Case{true, false, "/scans/a.bmp", false, 0}, Case{true, true, "", false, 0}}) {
        SCOPED_TRACE(c.expert * 100 + c.onStartup * 10 + c.file.empty());
        store.keys.clear();
        SetStoreValue("ExpertMode", c.expert ? 1 : 0);
        SetStoreValue("LoadFileOnStartup", c.onStartup ? 1 : 0);
        SetStoreValue("LoadFile", c.file);
        Start();
        EXPECT_EQ(form->autoloadOnStart, c.scheduled);
        EXPECT_EQ(form->controls.openDialogFileName, c.scheduled ? c.file : std::string());
        form->Close();
        EXPECT_EQ(store.keys[Key]["LoadFileOnStartup"], Store::Value{c.storedOnStartup});
        form.reset();
        LogWriter.ResetForTest();
    }
}

TEST_F(MainFormTest, StoredLanguageAndAutoSelection) {
    SetStoreValue("LanguageAuto", 0);
    SetStoreValue("Language", 9);
    system.language = 0x0C07;
    Start();
    EXPECT_EQ(form->controls.languageSelector, "English");
    EXPECT_EQ(form->textBase, 10000);
    EXPECT_EQ(form->AppStrings()->MBoxTitleError.caption, "Error");
    EXPECT_EQ(form->HelpFile(), "/opt/calvix/bin/Calvix_en.chm");
    form->ComboBoxLanguageSelectorChange("Auto Selection");
    EXPECT_TRUE(form->LanguageAuto);
    EXPECT_EQ(form->Language, 0x0C07);
    EXPECT_EQ(form->AppStrings()->MBoxTitleError.caption, "Fehler");
    form->ComboBoxLanguageSelectorChange("French");
    EXPECT_EQ(form->Language, 12);
    EXPECT_EQ(form->AppStrings()->MBoxTitleError.caption, "Erreur");
}

TEST_F(MainFormTest, AValueOfTheWrongTypeEndsTheConstruction) {
    SetStoreValue("ExpertMode", std::string("yes"));
    EXPECT_THROW(Start(), ERegistryException);
    store.keys.clear();
    store.keys["Control Panel\\Desktop"]["DragFullWindows"] = std::string("x1");
    EXPECT_THROW(Start(), EConvertError);
    store.keys["Control Panel\\Desktop"]["DragFullWindows"] = std::string("2");
    Start();
    EXPECT_TRUE(form->controls.dragFullWindows.checked);
}

TEST_F(MainFormTest, GarbageIniGivesDefaultsAndLosesNothing) {
    mkdir((dir.Path() + "/Zelmar GmbH").c_str(), 0755);
    mkdir((dir.Path() + "/Zelmar GmbH/Calvix").c_str(), 0755);
    WriteFileText(DataFile("Calvix.ini"), "\x7f\x01garbage]]\n[Logging]\nLogLevel=lots\nGWTolerance==\n");
    Start();
    EXPECT_EQ(form->logLevel, 128);
    EXPECT_EQ(form->GWTolerance, 20);
    form->Close();
    EXPECT_EQ(ReadFileText(DataFile("Calvix.ini")).rfind("\x7f\x01garbage]]\r\n[Logging]\r\nLogLevel=128\r\n", 0), 0u);
}

TEST_F(MainFormTest, UnreadableIniGivesItsDefaultsLogsWhyAndIsLeftAlone) {
    struct Case {
        const char* name;
        bool folder;
        const char* cause;
    };
    mkdir((dir.Path() + "/Zelmar GmbH").c_str(), 0755);
    mkdir((dir.Path() + "/Zelmar GmbH/Calvix").c_str(), 0755);
    const std::string ini = DataFile("Calvix.ini");
    for (const Case& c : {Case{"folder", true, "not a regular file"}, Case{"too large", false, "larger than"}}) {
        SCOPED_TRACE(c.name);
        if (c.folder) {
            ASSERT_EQ(mkdir(ini.c_str(), 0755), 0);
        } else {
            WriteFileText(ini, "[Miscellaneous]\nGWTolerance=3\n");
            ASSERT_EQ(::truncate(ini.c_str(), IniFile::MaxFileSize + 1), 0);
        }
        Start();
        EXPECT_EQ(form->GWTolerance, 20);
        EXPECT_EQ(form->BlackThreshold, 25);
        EXPECT_EQ(form->logLevel, 128);
        EXPECT_TRUE(LogWriter.Active());
        const long at = IndexOf("STA:   ... timestamp switched on") + 1;
        const auto texts = LogTexts();
        ASSERT_LT(at + 1, static_cast<long>(texts.size()));
        EXPECT_THAT(texts[at], MatchesRegex("ERR: error 'Reading INI file failed!'  \\( file MainForm, line [0-9]+\\)"));
        EXPECT_THAT(texts[at + 1], HasSubstr(ini + ": " + c.cause));
        form->Close();
        const auto after = LogTexts();
        const long w = IndexOf("STA:   ... writing INI file") + 1;
        ASSERT_LT(w + 1, static_cast<long>(after.size()));
        EXPECT_THAT(after[w], MatchesRegex("ERR: error 'Writing INI file failed!'  \\( file MainForm, line [0-9]+\\)"));
        EXPECT_THAT(after[w + 1], HasSubstr(c.cause));
        struct stat st {};
        ASSERT_EQ(::stat(ini.c_str(), &st), 0);
        EXPECT_EQ(S_ISDIR(st.st_mode), c.folder);
        if (!c.folder) {
            EXPECT_EQ(st.st_size, static_cast<off_t>(IniFile::MaxFileSize + 1));
        }
        form.reset();
        LogWriter.ResetForTest();
        c.folder ? ::rmdir(ini.c_str()) : ::unlink(ini.c_str());
    }
}

// A store that is there but cannot be read is no missing key: the defaults apply, it stays.
TEST_F(MainFormTest, UnreadableStoreIsReportedItsDefaultsApplyAndItIsLeftAlone) {
    RegFileUserStore file(dir.Path());  // a folder
    form = std::make_unique<TMainFormular>(MainFormPorts{desktop, file, system, clock, &lock, nullptr, ""});
    EXPECT_TRUE(form->SearchScanner && form->WarmUpTime == 300 && form->ListIT8Index == -1);
    EXPECT_EQ(form->textBase, TextBaseEnglish);  // the system's language, not text base 0
    const long at = IndexOf("STA: reading registry ...");
    EXPECT_THAT(LogTexts()[at + 1], MatchesRegex("ERR: error 'Reading registry failed!'  \\( file MainForm, line [0-9]+\\)"));
    EXPECT_THAT(LogTexts()[at + 2], HasSubstr(dir.Path() + ": not a regular file"));
    EXPECT_EQ(LogTexts()[at + 3], "STA: mode: Normal!");
    EXPECT_NE(LogTexts()[at + 4], "STA:   ... ok!");
}

TEST_F(MainFormTest, UnusableDataFolderIsReportedAndTheRunGoesOn) {
    system.canCreate = false;
    Start();
    Ticks(10);
    const auto texts = LogTexts();
    const long failures = std::count_if(texts.begin(), texts.end(), [](const std::string& t) {
        return t.rfind("ERR: error 'Writing log file failed!", 0) == 0;
    });
    EXPECT_EQ(failures, 1);
    EXPECT_TRUE(form->startupReady);
    form->Close();
    EXPECT_TRUE(Logged("STA:   ... bye!"));
    const auto after = LogTexts();
    // The failure stands alone; the system's reason follows on a line of its own.
    const long w = IndexOf("STA:   ... writing INI file") + 1;
    ASSERT_LT(w + 1, static_cast<long>(after.size()));
    EXPECT_THAT(after[w], MatchesRegex("ERR: error 'Writing INI file failed!'  \\( file MainForm, line [0-9]+\\)"));
    EXPECT_THAT(after[w + 1], HasSubstr("No such file or directory"));
}

}  // namespace
}  // namespace calvix::test
