// The helper image's three colours at the limits of the black threshold and of white.

#include "analysis/HelperImage.h"

#include <gtest/gtest.h>

#include <climits>

namespace calvix {
namespace {

constexpr PackedColour Black = MakeColour(0, 0, 0);
constexpr PackedColour Silver = MakeColour(192, 192, 192);
constexpr PackedColour White = MakeColour(255, 255, 255);

struct Case {
    PackedColour scan;
    int threshold;
    PackedColour helper;
};

class HelperClass : public ::testing::TestWithParam<Case> {};

TEST_P(HelperClass, PixelBecomesOneOfThreeColours) {
    ScanBitmap scan(2, 1);
    scan.SetPixel(1, 0, GetParam().scan);
    const ScanBitmap helper = MakeHelperImage(scan, GetParam().threshold);
    ASSERT_EQ(helper.Width(), 2);
    ASSERT_EQ(helper.Height(), 1);
    EXPECT_EQ(helper.Pixel(1, 0), GetParam().helper);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, HelperClass,
    ::testing::Values(Case{MakeColour(10, 10, 54), 25, Black},       // sum 74 < 75
                      Case{MakeColour(25, 25, 25), 25, Silver},      // sum 75
                      Case{MakeColour(176, 175, 175), 25, White},    // sum 526
                      Case{MakeColour(175, 175, 175), 25, Silver},   // sum 525
                      Case{MakeColour(0, 0, 0), 0, Silver},          // nothing is below 0
                      Case{MakeColour(255, 255, 254), 300, Black},   // a threshold above white wins
                      Case{MakeColour(0, 0, 0), INT_MIN, Silver},
                      Case{MakeColour(255, 255, 255), INT_MAX, Black}));

TEST(HelperImage, EmptyScanGivesEmptyHelper) { EXPECT_TRUE(MakeHelperImage(ScanBitmap()).Empty()); }

}  // namespace
}  // namespace calvix
