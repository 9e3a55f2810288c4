// calvix-analyze when its outputs cannot be written: each such file is named in an error, the
// run ends with status 3, no half file stays behind, and no record is written beside them.
#include "AnalyzeRunner.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <optional>

namespace calvix::test {
namespace {

namespace fs = std::filesystem;

bool Mentions(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

// Files in the folder whose names start with prefix (a temporary file left behind shows up).
int FilesStartingWith(const std::string& folder, const std::string& prefix) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) count += entry.path().filename().string().rfind(prefix, 0) == 0;
    return count;
}

class AnalyzeWriteTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(out); }
    TempDir dir;
    const std::string& front = SharedGoodScan();
    std::string out = dir.File("out");
};

class BlockedOutput : public AnalyzeWriteTest, public ::testing::WithParamInterface<const char*> {};

// A folder where an output file should go makes exactly that file unwritable.
TEST_P(BlockedOutput, IsNamedAndFailsTheRun) {
    const std::string blocked = out + "/" + GetParam();
    fs::create_directories(blocked + "/inside");
    const ToolRun run = RunAnalyze({front, "-o", out}, dir.Path());
    EXPECT_EQ(run.status, 3) << run.out << run.err;
    EXPECT_TRUE(Mentions(run.err, "'" + blocked + "'")) << run.err;
    EXPECT_TRUE(Mentions(run.out, "0 (passed)")) << run.out;
    EXPECT_FALSE(Mentions(run.out, "not every side passed")) << run.out;
    EXPECT_TRUE(Mentions(run.out, "no calibration record written: an output file could not be written")) << run.out;
    EXPECT_FALSE(Mentions(run.out, "  " + blocked + "\n")) << "listed as written: " << run.out;
    EXPECT_FALSE(fs::is_regular_file(out + "/CalibrationLut.bin"));
    EXPECT_EQ(FilesStartingWith(out, std::string(GetParam()) + "."), 0) << "temporary file left";
}

INSTANTIATE_TEST_SUITE_P(Files, BlockedOutput,
                         ::testing::Values("Help_front.bmp", "gs_rgb_front.csv", "corrvals_front.csv",
                                           "CalibrationLut.bin"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

// A file-size limit makes the 23 MB helper image fail part way, as a full disk would, both when
// it is made afresh and when an earlier run's helper is overwritten in place.
TEST_F(AnalyzeWriteTest, HalfWrittenHelperIsRemovedAndTheEarlierRecordKept) {
    for (const bool earlierRun : {false, true}) {
        SCOPED_TRACE(earlierRun ? "over an earlier run" : "fresh folder");
        fs::remove_all(out);
        fs::create_directories(out);
        std::optional<std::vector<std::uint8_t>> earlierRecord;
        if (earlierRun) {
            ASSERT_EQ(RunAnalyze({front, "-o", out, "--serial", "FIRST"}, dir.Path()).status, 0);
            earlierRecord = ReadRecord(out + "/CalibrationLut.bin");
            ASSERT_TRUE(earlierRecord.has_value());
        }
        const ToolRun run = RunAnalyze({front, "-o", out, "--serial", "SECOND"}, dir.Path(), 4u << 20);
        EXPECT_EQ(run.status, 3) << run.out << run.err;
        EXPECT_TRUE(Mentions(run.err, "Help_front.bmp': File too large")) << run.err;
        EXPECT_FALSE(Mentions(run.out, "not every side passed")) << run.out;
        EXPECT_FALSE(fs::exists(out + "/Help_front.bmp"));
        EXPECT_EQ(FilesStartingWith(out, "Help_front.bmp."), 0) << "temporary file left";
        EXPECT_TRUE(fs::is_regular_file(out + "/corrvals_front.csv"));
        EXPECT_EQ(ReadRecord(out + "/CalibrationLut.bin"), earlierRecord);
    }
}

}  // namespace
}  // namespace calvix::test
