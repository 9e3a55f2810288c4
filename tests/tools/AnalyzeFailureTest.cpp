// calvix-analyze on bad input: every failure gives a non-zero status, a clear message on
// standard error, and no calibration record.
#include "AnalyzeRunner.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <functional>

namespace calvix::test {
namespace {

struct FailureCase {
    const char* name;
    // Prepares the folder and returns the tool's arguments; out is the output folder to use.
    std::function<std::vector<std::string>(const TempDir& dir, const std::string& out)> arguments;
    int status;
    const char* message;  // expected on standard error
};

std::string GoodFront(const TempDir& dir) {
    const std::string path = dir.File("good.bmp");
    if (!FileExists(path)) RenderToFile(RenderOptions{}, path);
    return path;
}

std::string Rendered(const TempDir& dir, const char* name, const std::function<void(RenderOptions&)>& change) {
    RenderOptions options;
    change(options);
    RenderToFile(options, dir.File(name));
    return dir.File(name);
}

const FailureCase kFailures[] = {
    {"MissingScan", [](const TempDir& dir, const std::string& out) {
         return std::vector<std::string>{dir.File("nothing.bmp"), "-o", out};
     }, 3, "cannot read scan"},
    {"ScanThatIsNoPicture", [](const TempDir& dir, const std::string& out) {
         WriteFileText(dir.File("text.bmp"), "BM this is not a bitmap at all");
         return std::vector<std::string>{dir.File("text.bmp"), "-o", out};
     }, 3, "cannot read scan"},
    {"UnreadableRearAfterGoodFront", [](const TempDir& dir, const std::string& out) {
         return std::vector<std::string>{GoodFront(dir), dir.File("missing_rear.jpg"), "-o", out};
     }, 3, "rear side: cannot read scan"},
    {"MissingReference", [](const TempDir& dir, const std::string& out) {
         return std::vector<std::string>{GoodFront(dir), "-r", dir.File("none.txt"), "-o", out};
     }, 3, "cannot read IT8 reference file"},
    {"ReferenceWithoutGreys", [](const TempDir& dir, const std::string& out) {
         WriteFileText(dir.File("bad_ref.txt"), "IT8.7/2\nNUMBER_OF_FIELDS 4\nBEGIN_DATA_FORMAT\nSAMPLE_ID XYZ_X XYZ_Y "
                                                "XYZ_Z\nEND_DATA_FORMAT\nBEGIN_DATA\nA1 1 2 3\nEND_DATA\n");
         return std::vector<std::string>{GoodFront(dir), "-r", dir.File("bad_ref.txt"), "-o", out};
     }, 3, "no usable grey wedge"},
    {"OutputUnderAFile", [](const TempDir& dir, const std::string&) {
         WriteFileText(dir.File("plainfile"), "x");
         return std::vector<std::string>{GoodFront(dir), "-o", dir.File("plainfile/sub")};
     }, 3, "cannot create output folder"},
    {"ChartMissing", [](const TempDir& dir, const std::string& out) {
         return std::vector<std::string>{Rendered(dir, "empty.bmp", [](RenderOptions& o) { o.shiftX = 5000; }), "-o", out};
     }, 1, "corners of the bounding box not found"},
    {"DistortedChart", [](const TempDir& dir, const std::string& out) {
         // The bottom edge pulled in on both sides: dx top and dx bottom differ by 20 %.
         return std::vector<std::string>{Rendered(dir, "distorted.bmp", [](RenderOptions& o) {
                                             o.cornerMoves[2] = {200, 0};
                                             o.cornerMoves[3] = {-200, 0};
                                         }),
                                         "-o", out};
     }, 1, "dx top != dx bottom"},
    {"ColouredWedgePatch", [](const TempDir& dir, const std::string& out) {
         return std::vector<std::string>{Rendered(dir, "coloured.bmp", [](RenderOptions& o) { o.colouredWedgeIndex = 7; }),
                                         "-o", out};
     }, 1, "grey wedge failed"},
    {"GoodFrontBadRear", [](const TempDir& dir, const std::string& out) {
         return std::vector<std::string>{GoodFront(dir),
                                         Rendered(dir, "rear_coloured.bmp", [](RenderOptions& o) { o.colouredWedgeIndex = 3; }),
                                         "-o", out};
     }, 1, "rear side: grey wedge failed"},
    {"WhiteAdaptionOutOfRange", [](const TempDir& dir, const std::string& out) {
         return std::vector<std::string>{GoodFront(dir), "--white-adaption", "5", "-o", out};
     }, 2, "white-adaption"},
    {"GammaOutOfRange", [](const TempDir& dir, const std::string& out) {
         return std::vector<std::string>{GoodFront(dir), "-r", ReferenceR1, "--gamma", "0.2", "-o", out};
     }, 2, "gamma"},
    {"NoScanGiven", [](const TempDir&, const std::string& out) {
         return std::vector<std::string>{"-o", out};
     }, 2, "FRONT"},
};

class AnalyzeFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(AnalyzeFailureTest, FailsClearlyAndWritesNoRecord) {
    const FailureCase& failure = GetParam();
    TempDir dir;
    const std::string out = dir.File("out");
    const ToolRun run = RunAnalyze(failure.arguments(dir, out), dir.Path());
    EXPECT_EQ(run.status, failure.status) << run.out << run.err;
    EXPECT_NE(run.err.find(failure.message), std::string::npos) << run.err;
    EXPECT_FALSE(FileExists(out + "/CalibrationLut.bin"));
}

INSTANTIATE_TEST_SUITE_P(Inputs, AnalyzeFailureTest, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST(AnalyzeFailureRecordTest, FailedRunLeavesAnEarlierRecordAsItWas) {
    TempDir dir;
    const std::string front = GoodFront(dir);
    ASSERT_EQ(RunAnalyze({front, "-o", dir.Path(), "--serial", "FIRST"}, dir.Path()).status, 0);
    const auto before = ReadRecord(dir.File("CalibrationLut.bin"));
    const std::string coloured = Rendered(dir, "coloured.bmp", [](RenderOptions& o) { o.colouredWedgeIndex = 2; });
    ASSERT_EQ(RunAnalyze({front, coloured, "-o", dir.Path(), "--serial", "SECOND"}, dir.Path()).status, 1);
    EXPECT_EQ(ReadRecord(dir.File("CalibrationLut.bin")), before);
}

}  // namespace
}  // namespace calvix::test
