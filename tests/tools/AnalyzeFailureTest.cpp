// calvix-analyze on bad input: every failure gives a non-zero status, a clear message on
// standard error, and no calibration record.
#include "AnalyzeRunner.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace calvix::test {
namespace {

struct FailureCase {
    const char* name;
    // Prepares the folder and returns the tool's arguments; out is the output folder to use.
    std::function<std::vector<std::string>(const TempDir& dir, const std::string& out)> arguments;
    int status;
    const char* message;  // expected on standard error
};

std::string GoodFront(const TempDir&) { return SharedGoodScan(); }

std::string Rendered(const TempDir& dir, const char* name, const std::function<void(RenderOptions&)>& change) {
    RenderOptions options;
    change(options);
    RenderToFile(options, dir.File(name));
    return dir.File(name);
}

std::function<std::vector<std::string>(const TempDir&, const std::string&)> ReferenceArguments(const char* file) {
    return [file](const TempDir& dir, const std::string& out) {
        return std::vector<std::string>{GoodFront(dir), "-r", std::string(CALVIX_TEST_DATA_DIR) + "/it8/" + file, "-o",
                                        out, "--profile", out + "/icc"};
    };
}

const FailureCase kFailures[] = {
    {"MissingScan", [](const TempDir& dir, const std::string& out) {
         return std::vector<std::string>{dir.File("nothing.bmp"), "-o", out};
     }, 3, "cannot read front scan"},
    {"ScanThatIsNoPicture", [](const TempDir& dir, const std::string& out) {
         WriteFileText(dir.File("text.bmp"), "BM this is not a bitmap at all");
         return std::vector<std::string>{dir.File("text.bmp"), "-o", out};
     }, 3, "cannot read scan"},
    {"UnreadableRearAfterGoodFront", [](const TempDir& dir, const std::string& out) {
         return std::vector<std::string>{GoodFront(dir), dir.File("missing_rear.jpg"), "-o", out};
     }, 3, "cannot read rear scan"},
    {"MissingReference", [](const TempDir& dir, const std::string& out) {
         return std::vector<std::string>{GoodFront(dir), "-r", dir.File("none.txt"), "-o", out};
     }, 3, "cannot read IT8 reference file"},
    {"ReferenceWithoutGreys", [](const TempDir& dir, const std::string& out) {
         WriteFileText(dir.File("bad_ref.txt"), "IT8.7/2\nNUMBER_OF_FIELDS 4\nBEGIN_DATA_FORMAT\nSAMPLE_ID XYZ_X XYZ_Y "
                                                "XYZ_Z\nEND_DATA_FORMAT\nBEGIN_DATA\nA1 1 2 3\nEND_DATA\n");
         return std::vector<std::string>{GoodFront(dir), "-r", dir.File("bad_ref.txt"), "-o", out};
     }, 3, "lacks grey patches GS0-GS23"},
    // A reference that lacks or spoils grey patches, or whose layout hides them, is refused
    // with the reason rather than calibrating against zero for them.
    {"ReferenceLackingGS5", ReferenceArguments("bad_grey_gs5_missing.txt"), 3, "lacks grey patches GS5"},
    {"ReferenceLackingGS12ToGS23", ReferenceArguments("bad_grey_gs12_gs23_missing.txt"), 3, "GS12-GS23"},
    {"ReferenceWithNan", ReferenceArguments("bad_grey_nan.txt"), 3, "GS5 with a value that is not a finite number"},
    {"ReferenceWithInf", ReferenceArguments("bad_grey_inf.txt"), 3, "GS7-GS8 with a value that is not a finite"},
    {"ReferenceFieldCountZero", ReferenceArguments("bad_field_count.txt"), 3, "NUMBER_OF_FIELDS followed by '0'"},
    {"ReferenceFieldCountHuge", ReferenceArguments("bad_field_count_huge.txt"), 3, "followed by '99999999999'"},
    {"ReferenceWithoutFieldCount", ReferenceArguments("bad_no_field_count.txt"), 3, "no NUMBER_OF_FIELDS"},
    {"ReferenceWithoutDataFormat", ReferenceArguments("bad_no_data_format.txt"), 3, "no BEGIN_DATA_FORMAT"},
    {"ReferenceWithCarriageReturns", ReferenceArguments("bad_cr_only.txt"), 3, "carriage return alone"},
    {"ReferenceSampleIdSecond", ReferenceArguments("bad_sample_id_second.txt"), 3, "SAMPLE_ID as column 2"},
    {"ReferenceDecimalComma", ReferenceArguments("bad_decimal_comma.txt"), 3, "decimal comma"},
    // Complete and readable, but its greys out of order: the tables fall, so the side fails.
    {"TablesThatFall", ReferenceArguments("odd_grey_order.txt"), 1, "front side: correction tables fall"},
    // Nothing but regular files is read: no blocking on a FIFO, no endless device.
    {"DeviceAsReference", [](const TempDir& dir, const std::string& out) {
         return std::vector<std::string>{GoodFront(dir), "-r", "/dev/zero", "-o", out};
     }, 3, "'/dev/zero': it is not a regular file"},
    {"FifoAsScan", [](const TempDir& dir, const std::string& out) {
         EXPECT_EQ(::mkfifo(dir.File("fifo.bmp").c_str(), 0600), 0);
         return std::vector<std::string>{dir.File("fifo.bmp"), "-o", out};
     }, 3, "fifo.bmp': it is not a regular file"},
    {"FolderAsRearScan", [](const TempDir& dir, const std::string& out) {
         return std::vector<std::string>{GoodFront(dir), dir.Path(), "-o", out};
     }, 3, "cannot read rear scan"},
    {"SameFileFrontAndRear", [](const TempDir& dir, const std::string& out) {
         const std::string front = GoodFront(dir);
         EXPECT_EQ(::symlink(front.c_str(), dir.File("rear.bmp").c_str()), 0);
         return std::vector<std::string>{front, dir.File("rear.bmp"), "-o", out};
     }, 2, "are the same file"},
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
    {"GammaNan", [](const TempDir& dir, const std::string& out) {
         return std::vector<std::string>{GoodFront(dir), "-r", ReferenceR1, "--gamma", "nan", "-o", out};
     }, 2, "not a finite number: nan"},
    {"GammaInfinite", [](const TempDir& dir, const std::string& out) {
         return std::vector<std::string>{GoodFront(dir), "-r", ReferenceR1, "--gamma", "inf", "-o", out};
     }, 2, "not a finite number: inf"},
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
    EXPECT_FALSE(FileExists(out + "/icc"));
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
