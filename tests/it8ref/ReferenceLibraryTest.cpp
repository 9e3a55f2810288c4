// The reference library end to end in a temporary data folder: first run with the placeholder,
// installing, installing a name that is already listed, cancelling, the remembered index, and
// picking entries whose files are missing.
#include "it8ref/ReferenceListModel.h"

#include "app/Strings.h"
#include "it8ref/It8Ref.h"
#include "it8ref/PathEllipsis.h"
#include "it8ref/ReferenceGrey.h"
#include "it8ref/ReferenceLoader.h"
#include "it8ref/ReferenceOptions.h"
#include "It8TestSupport.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace calvix {
namespace {

using test::FileExists;
using test::It8Data;
using test::ReadFileText;
using test::TempDir;
using test::WriteFileText;

class ReferenceLibraryTest : public ::testing::Test {
protected:
    ReferenceLibraryTest() {
        options.CheckBoxTTabIT8ConvertD65.checked = false;
        std::filesystem::create_directories(dataFolder);
    }
    ~ReferenceLibraryTest() override { ResetReferenceGrey(); }

    ReferenceListModel& OpenWizard() {
        list = std::make_unique<ReferenceListModel>(dataFolder, loader, desktop, strings, listIndex);
        return *list;
    }
    // A chosen file somewhere on disk, with the content of one of the test files.
    std::string SourceFile(const std::string& name, const std::string& testFile = "R1.txt") {
        const std::string path = sources.File(name);
        WriteFileText(path, ReadFileText(It8Data(testFile)));
        return path;
    }
    void Install(const std::optional<std::string>& answer) {
        desktop.dialogAnswers.push_back(answer);
        list->ButtonIT8InstallClick();
    }
    // A small reference whose GS0 X value tells which file was loaded.
    static std::string MarkedReference(int marker) { return test::WedgeReference(marker); }
    std::string ListFile() const { return dataFolder + "/it8ref.lst"; }
    bool DefaultsInForce() const { return ReferenceGreyTable == DefaultReferenceGrey; }

    test::LogCapture log;
    TempDir home;
    TempDir sources;
    std::string dataFolder = home.File("Zelmar GmbH/Calvix");
    TAppStrings strings{10000};
    test::ScriptedDesktop desktop;
    TIT8Ref record;
    ReferenceOptions options{record};
    ReferenceLoader loader{record, options, desktop, strings};
    std::int32_t listIndex = 0;
    std::unique_ptr<ReferenceListModel> list;
};

TEST_F(ReferenceLibraryTest, FirstRunInstallsIntoAnEmptyFolder) {
    ReferenceListModel& wizard = OpenWizard();
    EXPECT_EQ(wizard.lines, (std::vector<std::string>{"", "No reference installed!"}));
    EXPECT_TRUE(wizard.listPlaceholder);
    EXPECT_FALSE(wizard.nextEnabled);
    EXPECT_EQ(wizard.stepReady, -1);
    EXPECT_EQ(listIndex, -1);

    Install(SourceFile("R1.txt"));
    EXPECT_EQ(wizard.lines, (std::vector<std::string>{"R1.txt"}));
    EXPECT_FALSE(wizard.listPlaceholder);
    EXPECT_EQ(wizard.selected, 0);
    EXPECT_EQ(listIndex, 0);
    EXPECT_TRUE(wizard.nextEnabled);
    EXPECT_EQ(wizard.stepReady, 0);
    EXPECT_EQ(ReadFileText(ListFile()), "R1.txt\r\n");
    EXPECT_EQ(ReadFileText(dataFolder + "/R1.txt"), ReadFileText(It8Data("R1.txt")));  // already CR LF
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_FALSE(DefaultsInForce());
    // The installed copy is what was loaded last.
    EXPECT_EQ(options.LabelTTabIT8ProfilPath.caption.substr(options.LabelTTabIT8ProfilPath.caption.size() - 7),
              "/R1.txt");
    EXPECT_TRUE(options.UpDownTTabIT8Gamma.enabled);

    ASSERT_EQ(desktop.dialogs.size(), 1u);
    const FileDialogRequest& shown = desktop.dialogs[0];
    EXPECT_EQ(shown.fileName, "R*.txt");
    EXPECT_EQ(shown.filterIndex, 2);
    EXPECT_EQ(shown.filters, (std::vector<std::string>{"All|*.*", "ASCII Text|*.txt"}));
    EXPECT_EQ(shown.defaultExtension, "*.txt");
    EXPECT_TRUE(log.Contains("DBG: call to 'TFormAssistent::ButtonIT8InstallClick()'  ( file assistent, line "));
    EXPECT_TRUE(log.Contains("DBG: call to 'TFormAssistent::ListBoxIT8InstalledClick()'  ( file assistent, line "));
    EXPECT_TRUE(log.Contains("STA: Assistent: IT8 reference file parsed and installed!"));

    // The next run starts with the remembered reference loaded.
    ResetReferenceGrey();
    ReferenceListModel& nextRun = OpenWizard();
    EXPECT_EQ(nextRun.selected, 0);
    EXPECT_TRUE(nextRun.nextEnabled);
    EXPECT_FALSE(DefaultsInForce());
}

TEST_F(ReferenceLibraryTest, InstallingAListedNameInOtherCaseOnlyLoadsIt) {
    OpenWizard();
    Install(SourceFile("R1.txt"));
    const std::string listBefore = ReadFileText(ListFile());
    const std::string copyBefore = ReadFileText(dataFolder + "/R1.txt");
    list->stepReady = -1;  // a later state of the page, to see that it is left alone

    Install(SourceFile("r1.TXT", "R4_two_blocks.txt"));
    EXPECT_EQ(desktop.dialogs.back().filterIndex, 1);
    EXPECT_EQ(list->lines, (std::vector<std::string>{"R1.txt"}));
    EXPECT_EQ(ReadFileText(ListFile()), listBefore);
    EXPECT_EQ(ReadFileText(dataFolder + "/R1.txt"), copyBefore);
    EXPECT_FALSE(FileExists(dataFolder + "/r1.TXT"));
    EXPECT_EQ(list->stepReady, -1);
    EXPECT_EQ(options.LabelTTabIT8ProfilPath.caption, ShortenPathForLabel(sources.File("r1.TXT"), options.profilPathWidth));
}

TEST_F(ReferenceLibraryTest, CancellingTheDialogPutsTheDefaultsBack) {
    OpenWizard();
    Install(SourceFile("R1.txt"));
    options.CheckBoxTTabIT8GammaLast.checked = true;
    options.CheckBoxTTabIT8GammaLastClick();
    options.UpDownTTabIT8Gamma.position = 22;

    Install(std::nullopt);
    EXPECT_TRUE(DefaultsInForce());
    EXPECT_EQ(options.LabelTTabIT8ProfilPath.caption, "Default values active");
    EXPECT_FALSE(options.CheckBoxTTabIT8ConvertD65.enabled);
    EXPECT_FALSE(options.UpDownTTabIT8Gamma.enabled);
    EXPECT_FALSE(options.CheckBoxTTabIT8GammaLast.checked);
    EXPECT_FALSE(options.gammaLast);
    EXPECT_NEAR(record.gamma, 2.2, 1e-6);
    EXPECT_EQ(list->stepReady, -1);
    EXPECT_FALSE(list->nextEnabled);
    EXPECT_EQ(desktop.dialogs.back().filterIndex, 1);  // unchanged by a cancel
    EXPECT_TRUE(log.Contains("ERR: error 'Assistent: Abort, parsing or file error, IT8 ref not installed!'"));
}

TEST_F(ReferenceLibraryTest, UnreadableChosenFileIsReportedAndNotInstalled) {
    OpenWizard();
    Install(SourceFile("R9.txt", "bad_field_count.txt"));
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, strings.MsgErrParsingIT8.caption);
    EXPECT_EQ(desktop.messages[0].title, strings.MBoxTitleError.caption);
    EXPECT_EQ(desktop.messages[0].buttons, MessageButtons::Ok);
    EXPECT_NE(desktop.messages[0].text.find("Error reading IT8 reference file!"), std::string::npos);
    EXPECT_TRUE(list->listPlaceholder);
    EXPECT_FALSE(FileExists(ListFile()));
    EXPECT_FALSE(FileExists(dataFolder + "/R9.txt"));
    EXPECT_FALSE(list->nextEnabled);
    EXPECT_TRUE(DefaultsInForce());
}

// The program's loads are for a calibration: a file without its whole grey wedge is refused
// like an unreadable one, the log says why, and the reference in force stays.
TEST_F(ReferenceLibraryTest, FileLackingAGreyPatchIsRefusedAndTheReferenceKept) {
    OpenWizard();
    Install(SourceFile("R1.txt"));
    const GreyTable inForce = ReferenceGreyTable;
    const std::string label = options.LabelTTabIT8ProfilPath.caption;
    Install(SourceFile("R8.txt", "bad_grey_gs5_missing.txt"));
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, strings.MsgErrParsingIT8.caption);
    EXPECT_TRUE(log.Contains("ERR: error 'IT8 reference file '" + sources.File("R8.txt") +
                             "' lacks grey patches GS5'  ( file MainForm, line "));
    EXPECT_EQ(ReferenceGreyTable, inForce);
    EXPECT_EQ(options.LabelTTabIT8ProfilPath.caption, label);
    EXPECT_EQ(list->lines, (std::vector<std::string>{"R1.txt"}));
    EXPECT_FALSE(FileExists(dataFolder + "/R8.txt"));
}

struct RememberedCase {
    const char* name;
    std::string listFile;
    std::int32_t remembered;
    std::int32_t expectedIndex;
    const char* loaded;  // name whose copy is loaded, or nullptr
    float marker;
};

class RememberedIndex : public ReferenceLibraryTest, public ::testing::WithParamInterface<RememberedCase> {};

TEST_P(RememberedIndex, PicksOrResets) {
    const RememberedCase& c = GetParam();
    WriteFileText(ListFile(), c.listFile);
    const char* names[] = {"a.txt", "B.txt", "c.txt"};
    for (int i = 0; i < 3; ++i) WriteFileText(dataFolder + "/" + names[i], MarkedReference(i + 1));
    listIndex = c.remembered;
    ReferenceListModel& wizard = OpenWizard();
    EXPECT_EQ(listIndex, c.expectedIndex);
    EXPECT_FALSE(wizard.listPlaceholder);
    if (c.loaded) {
        EXPECT_EQ(wizard.lines[wizard.selected], c.loaded);
        EXPECT_TRUE(wizard.nextEnabled);
        EXPECT_EQ(wizard.stepReady, 0);
        EXPECT_NE(options.LabelTTabIT8ProfilPath.caption.find(c.loaded), std::string::npos);
        EXPECT_FLOAT_EQ(record.greyXYZ[0][0], c.marker);
    } else {
        EXPECT_EQ(wizard.selected, -1);
        EXPECT_FALSE(wizard.nextEnabled);
        EXPECT_TRUE(DefaultsInForce());
    }
    EXPECT_TRUE(desktop.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Lists, RememberedIndex,
    ::testing::Values(RememberedCase{"ThirdOfThree", "c.txt\r\na.txt\nB.txt\r\n", 2, 2, "c.txt", 3},
                      RememberedCase{"FirstOfThreeSortedWithoutCase", "c.txt\nB.txt\na.txt", 0, 0, "a.txt", 1},
                      RememberedCase{"BeyondTwoLines", "a.txt\r\nB.txt\r\n", 2, -1, nullptr, 0},
                      RememberedCase{"NoneRemembered", "a.txt\r\n", -1, -1, nullptr, 0},
                      RememberedCase{"BlankLinesAreNoEntries", "\r\na.txt\r\n\r\nB.txt\r\n", 1, 1, "B.txt", 2}),
    [](const ::testing::TestParamInfo<RememberedCase>& info) { return info.param.name; });

TEST_F(ReferenceLibraryTest, PickingThePlaceholderReportsAndStillAllowsNext) {
    ReferenceListModel& wizard = OpenWizard();
    for (int line : {1, 0}) {  // the placeholder, then the empty line above it
        desktop.messages.clear();
        wizard.selected = line;
        wizard.ListBoxIT8InstalledClick();
        ASSERT_EQ(desktop.messages.size(), 1u);
        EXPECT_EQ(desktop.messages[0].text, strings.MsgErrParsingIT8.caption);
        EXPECT_TRUE(wizard.nextEnabled);
        EXPECT_EQ(wizard.stepReady, 0);
        EXPECT_EQ(listIndex, line);
        EXPECT_TRUE(DefaultsInForce());
    }
}

TEST_F(ReferenceLibraryTest, MissingInstalledCopyKeepsTheReferenceInForce) {
    OpenWizard();
    Install(SourceFile("R1.txt"));
    const std::string second = sources.File("R2.txt");
    WriteFileText(second, MarkedReference(7));
    Install(second);
    ASSERT_EQ(list->selected, 1);
    const GreyTable inForce = ReferenceGreyTable;
    std::filesystem::remove(dataFolder + "/R1.txt");

    list->selected = 0;
    list->ListBoxIT8InstalledClick();
    EXPECT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(ReferenceGreyTable, inForce);
    EXPECT_FLOAT_EQ(record.greyXYZ[0][0], 7.0f);
    EXPECT_EQ(listIndex, 0);
    EXPECT_TRUE(list->nextEnabled);
}

TEST_F(ReferenceLibraryTest, InstallsKeepCaseInsensitiveOrderAndBareNames) {
    OpenWizard();
    std::filesystem::create_directories(sources.File("deep/er"));
    const std::string backslashed = sources.File("deep/er/C:\\IT8\\batch\\Rb.txt");
    std::string lineFeeds = test::WedgeReference(80, "\n");
    lineFeeds.pop_back();  // no line end at the end
    WriteFileText(backslashed, lineFeeds);
    Install(SourceFile("rc.txt"));
    Install(backslashed);
    Install(SourceFile("RA.txt"));
    EXPECT_EQ(list->lines, (std::vector<std::string>{"RA.txt", "Rb.txt", "rc.txt"}));
    EXPECT_EQ(list->selected, 0);
    EXPECT_EQ(listIndex, 0);
    EXPECT_EQ(ReadFileText(ListFile()), "RA.txt\r\nRb.txt\r\nrc.txt\r\n");
    EXPECT_EQ(ReadFileText(dataFolder + "/Rb.txt"), test::WedgeReference(80, "\r\n"));
    // Only the list file and the three copies are left in the folder: no temporary files.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dataFolder)) ++files;
    EXPECT_EQ(files, 4);
}

TEST_F(ReferenceLibraryTest, FileSystemErrorEndsTheInstallWithAReport) {
    OpenWizard();
    std::filesystem::remove_all(dataFolder);
    WriteFileText(dataFolder, "a file where the folder should be");
    Install(SourceFile("R1.txt"));
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].title, strings.MBoxTitleError.caption);
    EXPECT_FALSE(list->listPlaceholder);  // steps already done stay done
    EXPECT_TRUE(list->lines.empty());
}

}  // namespace
}  // namespace calvix
