// Tests of the grey-step and table files: their exact text, their names per side, and the
// silent skip when the folder cannot take them.
#include "calibration/CorrectionFiles.h"

#include "TempDir.h"
#include "WedgeFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <string>

namespace calvix {
namespace {

using test::ReadFileText;
using test::TempDir;

std::size_t FileCount(const TempDir& folder) {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) count += entry.is_regular_file();
    return count;
}

GreyColours MeasuredSample() {
    GreyColours colours{};
    for (int k = 0; k < GreyWedgeSteps; ++k) colours[k] = MakeColour(250 - 10 * k, 251 - 10 * k, 9);
    return colours;
}

GreyColours ReferenceSample() {
    GreyColours colours{};
    for (int k = 0; k < GreyWedgeSteps; ++k) colours[k] = MakeColour(255 - k, 0, 100 + k);
    return colours;
}

ChannelTables TableSample() {
    ChannelTables tables{};
    for (int i = 0; i < ChannelTableEntries; ++i) {
        tables[0][i] = static_cast<std::uint8_t>(i / 4);
        tables[1][i] = static_cast<std::uint8_t>(255 - i / 4);
        tables[2][i] = static_cast<std::uint8_t>(i % 7);
    }
    return tables;
}

TEST(CorrectionFiles, GreyScaleTextIsTheComparisonTable) {
    const std::string text = GreyScaleFileText(MeasuredSample(), ReferenceSample());
    std::string expected = "\nGS RGB values\nScanner\t\t\t\tReference\nGS#\tR\tG\tB\tR\tG\tB\n";
    for (int k = 0; k < GreyWedgeSteps; ++k) {
        expected += "GS" + std::to_string(k);
        for (int v : {250 - 10 * k, 251 - 10 * k, 9, 255 - k, 0, 100 + k}) expected += "\t" + std::to_string(v);
        expected += "\n";
    }
    expected += "\n";
    EXPECT_EQ(text, expected);
    EXPECT_NE(text.find("\nGS23\t20\t21\t9\t232\t0\t123\n\n"), std::string::npos);
}

TEST(CorrectionFiles, TableTextHasOneLinePerEntryAndAClosingEmptyLine) {
    const std::string text = TableFileText(TableSample());
    std::string expected;
    for (int i = 0; i < ChannelTableEntries; ++i)
        expected += std::to_string(i) + " " + std::to_string(i / 4) + " " + std::to_string(255 - i / 4) + " " +
                    std::to_string(i % 7) + "\n";
    expected += "\n";
    EXPECT_EQ(text, expected);
    EXPECT_EQ(text.substr(0, 12), "0 0 255 0\n1 ");
    EXPECT_NE(text.find("\n1023 255 0 1\n\n"), std::string::npos);
}

struct SideNames {
    bool isFront;
    const char* greyScale;
    const char* table;
};

TEST(CorrectionFiles, EachSideWritesItsOwnPairOfFiles) {
    const SideNames sides[] = {{true, "gs_rgb_front.csv", "corrvals_front.csv"},
                               {false, "gs_rgb_back.csv", "corrvals_back.csv"}};
    for (const SideNames& side : sides) {
        TempDir folder;
        EXPECT_EQ(GreyScaleFilePath(folder.Path(), side.isFront), folder.Path() + "/" + side.greyScale);
        EXPECT_EQ(TableFilePath(folder.Path(), side.isFront), folder.Path() + "/" + side.table);
        EXPECT_TRUE(WriteGreyScaleFile(folder.Path(), side.isFront, MeasuredSample(), ReferenceSample()));
        EXPECT_TRUE(WriteTableFile(folder.Path(), side.isFront, TableSample()));
        EXPECT_EQ(ReadFileText(folder.File(side.greyScale)), GreyScaleFileText(MeasuredSample(), ReferenceSample()));
        EXPECT_EQ(ReadFileText(folder.File(side.table)), TableFileText(TableSample()));
        EXPECT_EQ(FileCount(folder), 2u) << "no temporary file stays behind";
    }
}

TEST(CorrectionFiles, FolderThatCannotTakeTheFileIsSkipped) {
    TempDir folder;
    const std::string missing = folder.Path() + "/no/such/folder";
    EXPECT_FALSE(WriteGreyScaleFile(missing, true, MeasuredSample(), ReferenceSample()));
    EXPECT_FALSE(WriteTableFile(missing, false, TableSample()));
    EXPECT_EQ(FileCount(folder), 0u);
}

}  // namespace
}  // namespace calvix
