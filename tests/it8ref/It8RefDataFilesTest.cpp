// The reader on the project's IT8.7/2-style reference files: the full good file, its variants
// (line ends, column order, extra header, two blocks) and the faulty ones.
#include "it8ref/It8Ref.h"

#include "It8TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace calvix {
namespace {

using test::It8Data;

bool SamePatches(const TIT8Ref& a, const TIT8Ref& b) {
    return std::memcmp(a.patchXYZ, b.patchXYZ, sizeof a.patchXYZ) == 0 &&
           std::memcmp(a.greyXYZ, b.greyXYZ, sizeof a.greyXYZ) == 0;
}

TEST(It8DataFiles, GoodFileFillsEveryPatchWithARealisticWedge) {
    TIT8Ref record;
    ASSERT_EQ(record.LoadFile(It8Data("R1.txt")), 0);
    EXPECT_EQ(record.fieldCount, 7);
    for (const auto& row : record.patchXYZ)
        for (const auto& patch : row) EXPECT_GT(patch[1], 0.0f);
    EXPECT_GT(record.greyXYZ[0][1], 80.0f);
    EXPECT_LT(record.greyXYZ[0][1], 85.0f);
    EXPECT_GT(record.greyXYZ[23][1], 0.5f);
    EXPECT_LT(record.greyXYZ[23][1], 3.0f);
    // Two decimals in the file blur the chromaticity of the darkest greys.
    constexpr float kChromaticityTolerance = 0.004f;
    constexpr float kDarkChromaticityTolerance = 0.012f;
    for (int i = 0; i < It8GreyPatches; ++i) {
        const float* g = record.greyXYZ[i];
        if (i > 0) {
            EXPECT_LT(g[1], record.greyXYZ[i - 1][1]) << "GS" << i;
        }
        const float sum = g[0] + g[1] + g[2];
        const float tolerance = g[1] > 5.0f ? kChromaticityTolerance : kDarkChromaticityTolerance;
        EXPECT_NEAR(g[0] / sum, 0.3457f, tolerance) << "GS" << i;
        EXPECT_NEAR(g[1] / sum, 0.3585f, tolerance) << "GS" << i;
    }
    // First and last data lines of the file, as written there.
    EXPECT_FLOAT_EQ(record.patchXYZ[0][0][0], 7.46f);
    EXPECT_FLOAT_EQ(record.greyXYZ[23][2], 0.78f);
}

class It8Variants : public ::testing::TestWithParam<const char*> {};

TEST_P(It8Variants, ReadTheSameAsTheGoodFile) {
    TIT8Ref good;
    ASSERT_EQ(good.LoadFile(It8Data("R1.txt")), 0);
    TIT8Ref variant;
    ASSERT_EQ(variant.LoadFile(It8Data(GetParam())), 0);
    EXPECT_TRUE(SamePatches(good, variant));
}

INSTANTIATE_TEST_SUITE_P(Files, It8Variants,
                         ::testing::Values("R1_lf.txt", "R2_reordered.txt", "R3_extra_header.txt",
                                           "R4_two_blocks.txt"));

TEST(It8DataFiles, MissingXColumnKeepsThePreviousPosition) {
    TIT8Ref fresh;
    ASSERT_EQ(fresh.LoadFile(It8Data("bad_missing_xyz_x.txt")), 0);
    // Position 0 at program start: X is the sample id's number.
    EXPECT_FLOAT_EQ(fresh.greyXYZ[17][0], 17.0f);
    EXPECT_FLOAT_EQ(fresh.patchXYZ[3][4][0], 5.0f);

    TIT8Ref afterGood;
    ASSERT_EQ(afterGood.LoadFile(It8Data("R1.txt")), 0);
    ASSERT_EQ(afterGood.LoadFile(It8Data("bad_missing_xyz_x.txt")), 0);
    // Position 1 from the good file now holds XYZ_Y.
    EXPECT_FLOAT_EQ(afterGood.greyXYZ[17][0], afterGood.greyXYZ[17][1]);
}

TEST(It8DataFiles, TruncatedFileKeepsWhatItReached) {
    TIT8Ref good;
    ASSERT_EQ(good.LoadFile(It8Data("R1.txt")), 0);
    TIT8Ref truncated;
    ASSERT_EQ(truncated.LoadFile(It8Data("bad_truncated.txt")), 0);
    // The last line, cut after its Z value, is stored; the lines after it never came.
    EXPECT_FLOAT_EQ(truncated.patchXYZ[4][11][2], good.patchXYZ[4][11][2]);
    EXPECT_FLOAT_EQ(truncated.patchXYZ[4][12][0], 0.0f);
    EXPECT_FLOAT_EQ(truncated.greyXYZ[0][1], 0.0f);
}

class It8BadFieldCount : public ::testing::TestWithParam<const char*> {};

TEST_P(It8BadFieldCount, FailsAndKeepsThePreviousReference) {
    TIT8Ref record;
    ASSERT_EQ(record.LoadFile(It8Data("R4_two_blocks.txt")), 0);
    TIT8Ref before;
    ASSERT_EQ(before.LoadFile(It8Data("R4_two_blocks.txt")), 0);
    EXPECT_EQ(record.LoadFile(It8Data(GetParam())), -1);
    EXPECT_TRUE(SamePatches(record, before));
    EXPECT_EQ(record.fieldCount, before.fieldCount);
}

INSTANTIATE_TEST_SUITE_P(Files, It8BadFieldCount,
                         ::testing::Values("bad_field_count.txt", "bad_field_count_word.txt"));

}  // namespace
}  // namespace calvix
