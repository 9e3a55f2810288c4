// The strict load a calibration uses: every good file passes; every file without a complete,
// finite grey wedge of its own is refused with its reason, and the reference in force stays.
#include "it8ref/It8Ref.h"

#include "It8TestSupport.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <sys/stat.h>

namespace calvix {
namespace {

using test::It8Data;

class It8GoodForCalibration : public ::testing::TestWithParam<const char*> {};

TEST_P(It8GoodForCalibration, Passes) {
    TIT8Ref record;
    It8ReadReport report;
    EXPECT_EQ(record.LoadCalibrationReference(It8Data(GetParam()), report), 0) << DescribeIt8Fault(report);
    EXPECT_EQ(report.fault, It8Fault::None);
    EXPECT_EQ(report.greysStored, AllGreyPatches);
}

// The grey order is no business of the file check; the tables show it (see the tool tests).
INSTANTIATE_TEST_SUITE_P(Files, It8GoodForCalibration,
                         ::testing::Values("R1.txt", "R1_lf.txt", "R2_reordered.txt", "R3_extra_header.txt",
                                           "R4_two_blocks.txt", "odd_grey_order.txt"));

struct RefusedCase {
    const char* file;
    It8Fault fault;
    const char* message;  // a piece of the description
};

const RefusedCase kRefused[] = {
    {"bad_grey_gs5_missing.txt", It8Fault::GreysIncomplete, "lacks grey patches GS5"},
    {"bad_grey_gs12_gs23_missing.txt", It8Fault::GreysIncomplete, "lacks grey patches GS12-GS23"},
    {"bad_grey_nan.txt", It8Fault::GreysIncomplete, "grey patches GS5 with a value that is not a finite number"},
    {"bad_grey_inf.txt", It8Fault::GreysIncomplete, "grey patches GS7-GS8 with a value that is not a finite"},
    {"bad_grey_short_line.txt", It8Fault::GreysIncomplete, "GS3 without three numbers for XYZ_X, XYZ_Y and XYZ_Z"},
    {"bad_truncated.txt", It8Fault::GreysIncomplete, "lacks grey patches GS0-GS23"},
    {"bad_cr_only.txt", It8Fault::CarriageReturnLineEnds, "carriage return alone"},
    {"bad_decimal_comma.txt", It8Fault::DecimalComma, "GS0-GS23 with a decimal comma"},
    {"bad_sample_id_second.txt", It8Fault::SampleIdNotFirst, "SAMPLE_ID as column 2"},
    {"bad_no_field_count.txt", It8Fault::NoFieldCount, "no NUMBER_OF_FIELDS"},
    {"bad_no_data_format.txt", It8Fault::NoDataFormat, "no BEGIN_DATA_FORMAT"},
    {"bad_no_data_block.txt", It8Fault::NoDataBlock, "no BEGIN_DATA block"},
    {"bad_missing_xyz_x.txt", It8Fault::XyzColumnNotNamed, "does not name XYZ_X in"},
    {"bad_field_count.txt", It8Fault::BadFieldCount, "NUMBER_OF_FIELDS followed by '0'"},
    {"bad_field_count_negative.txt", It8Fault::BadFieldCount, "followed by '-7'"},
    {"bad_field_count_huge.txt", It8Fault::BadFieldCount, "followed by '99999999999'"},
    {"bad_field_count_word.txt", It8Fault::BadFieldCount, "followed by 'seven'"},
    {"no_such_file.txt", It8Fault::CannotOpen, "cannot be opened: No such file"},
};

class It8RefusedForCalibration : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(It8RefusedForCalibration, KeepsTheReferenceInForceAndSaysWhy) {
    const RefusedCase& c = GetParam();
    TIT8Ref record;
    It8ReadReport report;
    ASSERT_EQ(record.LoadCalibrationReference(It8Data("R1.txt"), report), 0);
    TIT8Ref before;
    ASSERT_EQ(before.LoadFile(It8Data("R1.txt")), 0);

    EXPECT_EQ(record.LoadCalibrationReference(It8Data(c.file), report), -1);
    EXPECT_EQ(report.fault, c.fault);
    EXPECT_NE(DescribeIt8Fault(report).find(c.message), std::string::npos) << DescribeIt8Fault(report);
    EXPECT_EQ(std::memcmp(record.greyXYZ, before.greyXYZ, sizeof before.greyXYZ), 0);
    EXPECT_EQ(std::memcmp(record.patchXYZ, before.patchXYZ, sizeof before.patchXYZ), 0);
    EXPECT_EQ(record.fieldCount, before.fieldCount);
    EXPECT_EQ(record.xColumn, before.xColumn);
}

INSTANTIATE_TEST_SUITE_P(Files, It8RefusedForCalibration, ::testing::ValuesIn(kRefused),
                         [](const ::testing::TestParamInfo<RefusedCase>& info) {
                             std::string name = info.param.file;
                             for (char& ch : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             }
                             return name;
                         });

// A file that leans on what an earlier file left in the record is refused even when the
// values it gives would fill the wedge: alone it would calibrate with other columns.
TEST(It8CalibrationLoad, FileWithoutItsOwnLayoutIsRefusedAfterAGoodOne) {
    TIT8Ref record;
    It8ReadReport report;
    ASSERT_EQ(record.LoadFile(It8Data("R1.txt")), 0);
    // After R1 the reader would take the layout-less file's lines with R1's count and columns.
    ASSERT_EQ(record.LoadFile(It8Data("bad_no_data_format.txt")), 0);
    EXPECT_EQ(record.LoadCalibrationReference(It8Data("bad_no_data_format.txt"), report), -1);
    EXPECT_EQ(report.fault, It8Fault::NoDataFormat);
}

// Nothing but a regular file is read: a FIFO would block the open, /dev/zero never ends.
TEST(It8CalibrationLoad, SpecialFilesAreRefusedWithoutReading) {
    test::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    for (const std::string& path : {dir.File("fifo"), std::string("/dev/zero"), dir.Path()}) {
        TIT8Ref record;
        It8ReadReport report;
        EXPECT_EQ(record.LoadFile(path, &report), -1) << path;
        EXPECT_EQ(report.fault, It8Fault::CannotOpen) << path;
        EXPECT_NE(DescribeIt8Fault(report).find("not a"), std::string::npos) << DescribeIt8Fault(report);
    }
}

TEST(It8CalibrationLoad, GreyPatchNamesJoinRuns) {
    const struct {
        GreyPatchSet set;
        const char* names;
    } cases[] = {
        {0, ""},
        {1u << 5, "GS5"},
        {(1u << 4) | (1u << 5), "GS4-GS5"},
        {(1u << 0) | (1u << 2) | (AllGreyPatches & ~((1u << 12) - 1)), "GS0, GS2, GS12-GS23"},
        {AllGreyPatches, "GS0-GS23"},
    };
    for (const auto& c : cases) EXPECT_EQ(GreyPatchNames(c.set), c.names) << c.set;
}

}  // namespace
}  // namespace calvix
