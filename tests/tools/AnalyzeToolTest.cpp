// calvix-analyze on good renders: exit status, the files of a calibration run, and the
// record's header, side count and tables as the device receives them.
#include "AnalyzeRunner.h"
#include "JpegFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace calvix::test {
namespace {

class AnalyzeToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        RenderOptions front;
        front.tone = UniformTone(0.95, 10.0 / 1023.0, 1.1);
        RenderToFile(front, dir.File("front.bmp"));
        RenderOptions rear;
        rear.tone = UniformTone(1.05, 0.0, 0.9);
        rear.shiftX = 12;
        rear.shiftY = 20;
        RenderToFile(rear, dir.File("rear.bmp"));
    }

    std::string Out(const std::string& name) const { return dir.File("out/" + name); }

    TempDir dir;
};

bool AllZero(const std::array<std::uint8_t, 1024>& table) {
    return std::all_of(table.begin(), table.end(), [](std::uint8_t v) { return v == 0; });
}

// The table file's columns for one channel (1 red, 2 green, 3 blue).
std::array<std::uint8_t, 1024> TableFileColumn(const std::string& text, int column) {
    std::array<std::uint8_t, 1024> table{};
    std::istringstream lines(text);
    int values[4];
    for (std::size_t i = 0; i < table.size(); ++i) {
        lines >> values[0] >> values[1] >> values[2] >> values[3];
        table[i] = static_cast<std::uint8_t>(values[column]);
    }
    return table;
}

TEST_F(AnalyzeToolTest, DuplexRunWritesEveryFileAndAFullRecord) {
    const ToolRun run = RunAnalyze({dir.File("front.bmp"), dir.File("rear.bmp"), "-o", dir.File("out"), "--serial",
                                    "Q71-0042"},
                                   dir.Path());
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    for (const char* name : {"Help_front.bmp", "Help_rear.bmp", "gs_rgb_front.csv", "corrvals_front.csv",
                             "gs_rgb_back.csv", "corrvals_back.csv"}) {
        EXPECT_TRUE(FileExists(Out(name))) << name;
    }
    const auto record = ReadRecord(Out("CalibrationLut.bin"));
    ASSERT_TRUE(record.has_value());
    const std::vector<std::uint8_t>& r = *record;
    EXPECT_EQ(r[0], 1);
    EXPECT_EQ(r[1] | (r[2] << 8), 6227);
    EXPECT_EQ(r[3] | (r[4] << 8), 1024);
    EXPECT_EQ(r[5], 1);
    EXPECT_EQ(r[6], 2);
    EXPECT_STREQ(reinterpret_cast<const char*>(&r[7]), "Q71-0042");
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    EXPECT_EQ(std::sscanf(reinterpret_cast<const char*>(&r[27]), "%d-%d-%d %d:%dh", &year, &month, &day, &hour, &minute), 5);
    int a = -1, b = -1, c = -1, build = -1;
    EXPECT_EQ(std::sscanf(reinterpret_cast<const char*>(&r[47]), "v%d.%d.%d build#%d", &a, &b, &c, &build), 4);
    EXPECT_GE(build, 0);

    // The record carries exactly the tables the run wrote out, side by side.
    const std::string frontTables = ReadFileText(Out("corrvals_front.csv"));
    const std::string rearTables = ReadFileText(Out("corrvals_back.csv"));
    for (int channel = 0; channel < 3; ++channel) {
        EXPECT_EQ(RecordTable(r, 0, channel), TableFileColumn(frontTables, channel + 1)) << channel;
        EXPECT_EQ(RecordTable(r, 1, channel), TableFileColumn(rearTables, channel + 1)) << channel;
        EXPECT_NE(RecordTable(r, 0, channel), RecordTable(r, 1, channel)) << "sides with different responses";
    }
    EXPECT_NE(run.out.find("front side"), std::string::npos);
    EXPECT_NE(run.out.find("rear side"), std::string::npos);
    EXPECT_NE(run.out.find("0 (passed)"), std::string::npos);
    EXPECT_NE(run.out.find("red yes, green yes, blue yes"), std::string::npos);
    EXPECT_NE(run.out.find(Out("CalibrationLut.bin")), std::string::npos);
}

TEST_F(AnalyzeToolTest, SimplexRunLeavesTheRearEmpty) {
    const ToolRun run = RunAnalyze({dir.File("front.bmp"), "--output", dir.File("out")}, dir.Path());
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const auto record = ReadRecord(Out("CalibrationLut.bin"));
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ((*record)[6], 1);
    EXPECT_EQ((*record)[7], 0) << "no serial given";
    for (int channel = 0; channel < 3; ++channel) {
        EXPECT_FALSE(AllZero(RecordTable(*record, 0, channel)));
        EXPECT_TRUE(AllZero(RecordTable(*record, 1, channel)));
    }
    EXPECT_FALSE(FileExists(Out("Help_rear.bmp")));
    EXPECT_FALSE(FileExists(Out("corrvals_back.csv")));
    EXPECT_NE(run.out.find("simplex"), std::string::npos);
}

TEST_F(AnalyzeToolTest, WhiteAdaptionAndReferenceOptionsChangeTheTables) {
    ASSERT_EQ(RunAnalyze({dir.File("front.bmp"), "-o", dir.File("plain")}, dir.Path()).status, 0);
    ASSERT_EQ(RunAnalyze({dir.File("front.bmp"), "-o", dir.File("white"), "--white-adaption", "4"}, dir.Path()).status, 0);
    ASSERT_EQ(RunAnalyze({dir.File("front.bmp"), "-o", dir.File("ref"), "-r", ReferenceR1, "--gamma", "1.8",
                          "--adapt-d65"},
                         dir.Path()).status,
              0);
    const auto plain = ReadRecord(dir.File("plain/CalibrationLut.bin"));
    const auto white = ReadRecord(dir.File("white/CalibrationLut.bin"));
    const auto ref = ReadRecord(dir.File("ref/CalibrationLut.bin"));
    ASSERT_TRUE(plain && white && ref);
    EXPECT_NE(RecordTable(*plain, 0, 0), RecordTable(*white, 0, 0));
    EXPECT_NE(RecordTable(*plain, 0, 0), RecordTable(*ref, 0, 0));
}

TEST_F(AnalyzeToolTest, JpegScansAreAnalysedLikeBitmaps) {
    RenderOptions options;
    options.tone = UniformTone(0.97, 6.0 / 1023.0, 1.05);
    const RenderedChart chart = RenderChart(SyntheticChartColours(), options);
    ASSERT_TRUE(SaveJpegFile(chart.image, dir.File("front.jpg"), 95));
    const ToolRun run = RunAnalyze({dir.File("front.jpg"), dir.File("rear.bmp"), "-o", dir.File("out")}, dir.Path());
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(ReadRecord(Out("CalibrationLut.bin")).has_value());
}

// Refused without the option (see the failure tests); with it, the rear is the front's copy.
TEST(AnalyzeSameFileTest, OneFileAsBothSidesWhenAskedFor) {
    TempDir dir;
    const ToolRun run = RunAnalyze({SharedGoodScan(), SharedGoodScan(), "--allow-same-file", "-o", dir.Path()}, dir.Path());
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const auto record = ReadRecord(dir.File("CalibrationLut.bin"));
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ((*record)[6], 2);
    for (int channel = 0; channel < 3; ++channel) EXPECT_EQ(RecordTable(*record, 0, channel), RecordTable(*record, 1, channel));
}

TEST(AnalyzeHelpTest, HelpNamesEveryOption) {
    TempDir dir;
    const ToolRun run = RunAnalyze({"--help"}, dir.Path());
    EXPECT_EQ(run.status, 0);
    // The tool's own usage comes first: the log header belongs to the calibration program only.
    EXPECT_EQ(run.out.rfind("Offline analysis of Zelmar Q71 IT8 chart scans", 0), 0u) << run.out;
    EXPECT_EQ(run.out.find("Calvix Log File"), std::string::npos);
    for (const char* option : {"FRONT", "REAR", "--reference", "--output", "--gamma", "--adapt-d65", "--gw-tolerance",
                               "--black-threshold", "--white-adaption", "--serial", "--allow-same-file"}) {
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
    }
}

}  // namespace
}  // namespace calvix::test
