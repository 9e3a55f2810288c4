// Tests of the patch raster and sampling: square means with their truncation and white
// outside pixels, the raster geometry from corner slots, and the grey-patch positions.
#include "analysis/PatchSampling.h"

#include "GuardedEnd.h"

#include <gtest/gtest.h>

#include <climits>

namespace calvix {
namespace {

ScanBitmap Filled(int width, int height, PackedColour colour) {
    ScanBitmap image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) image.SetPixel(x, y, colour);
    }
    return image;
}

TEST(PickColorsAround, RadiusZeroReadsThePixelItself) {
    ScanBitmap image = Filled(5, 5, MakeColour(1, 2, 3));
    image.SetPixel(2, 3, MakeColour(200, 100, 50));
    EXPECT_EQ(PickColorsAround(image, 2, 3, 0), MakeColour(200, 100, 50));
}

TEST(PickColorsAround, MeansTruncateEachChannel) {
    ScanBitmap image = Filled(3, 3, MakeColour(0, 10, 200));
    // Four 1s among nine red values: 4 / 9 = 0. Green 10*5 + 19*4 = 126 -> 14. Blue 8*200+255 -> 206.
    for (const auto& [x, y] : {std::pair{0, 0}, {2, 0}, {0, 2}, {2, 2}}) image.SetPixel(x, y, MakeColour(1, 19, 200));
    image.SetPixel(1, 1, MakeColour(0, 10, 255));
    EXPECT_EQ(PickColorsAround(image, 1, 1, 1), MakeColour(0, 14, 206));
}

struct OutsideCase {
    const char* name;
    int x, y, radius;
    PackedColour expected;
};

class OutsidePixels : public ::testing::TestWithParam<OutsideCase> {};

// The image is black (0, 30, 90) everywhere; outside pixels pull the mean toward white.
TEST_P(OutsidePixels, ReadAsWhite) {
    const ScanBitmap image = Filled(4, 3, MakeColour(0, 30, 90));
    const OutsideCase& c = GetParam();
    EXPECT_EQ(PickColorsAround(image, c.x, c.y, c.radius), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Squares, OutsidePixels,
    ::testing::Values(
        // Corner: 4 of 9 inside. Red 5*255/9 = 141; green (4*30 + 1275)/9 = 155; blue (360+1275)/9 = 181.
        OutsideCase{"top_left_corner", 0, 0, 1, MakeColour(141, 155, 181)},
        OutsideCase{"bottom_right_corner", 3, 2, 1, MakeColour(141, 155, 181)},
        OutsideCase{"edge", 1, 0, 1, MakeColour(85, 105, 145)},
        OutsideCase{"single_pixel_outside", -1, 0, 0, MakeColour(255, 255, 255)},
        OutsideCase{"far_away", 100000, -100000, 3, MakeColour(255, 255, 255)},
        // Outside in one direction only, within the image's span in the other.
        OutsideCase{"above", 1, -5, 2, MakeColour(255, 255, 255)},
        OutsideCase{"left", -5, 1, 2, MakeColour(255, 255, 255)},
        OutsideCase{"covering_everything", 2, 1, 10, MakeColour(248, 248, 250)},
        OutsideCase{"int_limits", INT_MAX, INT_MIN, 5, MakeColour(255, 255, 255)},
        // An inverted raster gives a negative radius: the centre pixel alone.
        OutsideCase{"negative_radius", 1, 1, -4, MakeColour(0, 30, 90)}),
    [](const ::testing::TestParamInfo<OutsideCase>& info) { return std::string(info.param.name); });

TEST(PickColorsAround, HugeRadiusEndsAndStaysExact) {
    const ScanBitmap image = Filled(2, 2, MakeColour(0, 0, 0));
    // Four black pixels in a square of (2r+1)^2 with r = INT_MAX: the mean truncates to 254.
    EXPECT_EQ(PickColorsAround(image, 0, 0, INT_MAX), MakeColour(254, 254, 254));
}

std::array<Point, 5> Slots(Point ur, Point ul, Point ll, Point lr) { return {NotFound, ur, ul, ll, lr}; }

TEST(RasterGeometry, EightFieldsFromTheSlots) {
    const auto slots = Slots({2165, 95}, {165, 100}, {160, 1450}, {2170, 1445});
    const RasterGeometry g = RasterGeometry::FromCorners(slots);
    EXPECT_EQ(g, (RasterGeometry{2000, 2010, 1350, 1350, 5, -5, -5, -5}));
}

TEST(RasterLines, ProductsBeforeDivisionAndOuterLinesOnTheCorners) {
    const auto slots = Slots({2165, 95}, {165, 100}, {160, 1450}, {2170, 1445});
    const auto lines = RasterLines(slots, RasterGeometry::FromCorners(slots));
    ASSERT_EQ(lines.size(), 42u);
    EXPECT_EQ(lines[0].from, (Point{165, 100}));
    EXPECT_EQ(lines[0].to, (Point{160, 1450}));
    EXPECT_EQ(lines[24].from, (Point{2165, 95}));
    EXPECT_EQ(lines[24].to, (Point{2170, 1445}));
    // i = 1: 1*2000/24 = 83, 1*(-5)/24 = 0 (toward zero), 1*2010/24 = 83.
    EXPECT_EQ(lines[1].from, (Point{248, 100}));
    EXPECT_EQ(lines[1].to, (Point{243, 1450}));
    // j = 16 reaches the bottom corners; j = 1: 1*5/16 = 0, 1*1350/16 = 84.
    EXPECT_EQ(lines[25 + 16].from, (Point{160, 1450}));
    EXPECT_EQ(lines[25 + 16].to, (Point{2170, 1445}));
    EXPECT_EQ(lines[25 + 1].from, (Point{165, 184}));
}

struct CentreCase {
    const char* name;
    std::array<Point, 5> slots;
    bool geometryComputed;
    int index;
    PatchCentre expected;
};

class GreyCentres : public ::testing::TestWithParam<CentreCase> {};

TEST_P(GreyCentres, SecondRowFromTheBottom) {
    const CentreCase& c = GetParam();
    const RasterGeometry g = c.geometryComputed ? RasterGeometry::FromCorners(c.slots) : RasterGeometry{};
    const PatchCentre p = GreyPatchCentre(c.slots, g, c.index);
    EXPECT_EQ(p.centre, c.expected.centre);
    EXPECT_EQ(p.radius, c.expected.radius);
}

const std::array<Point, 5> Upright = Slots({2165, 100}, {165, 100}, {165, 1450}, {2165, 1450});
const std::array<Point, 5> Small = Slots({310, 10}, {10, 10}, {10, 137}, {310, 137});      // dyLeft 127
const std::array<Point, 5> Tiny = Slots({250, 20}, {10, 20}, {10, 35}, {250, 35});         // dyLeft 15

INSTANTIATE_TEST_SUITE_P(
    Positions, GreyCentres,
    ::testing::Values(
        // rowHeight 84, colWidth 83: x = 165 + 0 + 41, y = 1450 - 84 - 42, radius 10.
        CentreCase{"first", Upright, true, 0, {{206, 1324}, 10}},
        CentreCase{"last", Upright, true, 23, {{165 + 23 * 2000 / 24 + 41, 1324}, 10}},
        CentreCase{"below_128_single_pixel", Small, true, 5, {{10 + 5 * 300 / 24 + 6, 137 - 7 - 3}, 0}},
        CentreCase{"below_16_on_bottom_edge", Tiny, true, 2, {{10 + 20 + 5, 35}, 0}},
        CentreCase{"never_computed", Upright, false, 17, {{165, 1450}, 0}},
        CentreCase{"index_24", Upright, true, 24, {NotFound, 0}},
        CentreCase{"index_minus_1", Upright, true, -1, {NotFound, 0}}),
    [](const ::testing::TestParamInfo<CentreCase>& info) { return std::string(info.param.name); });

TEST(SampleGreyWedge, FillsMeasuredColoursOnly) {
    ScanBitmap image = Filled(400, 200, MakeColour(10, 20, 30));
    const auto slots = Slots({394, 10}, {10, 10}, {10, 170}, {394, 170});  // cells 16 x 10
    const RasterGeometry g = RasterGeometry::FromCorners(slots);
    // Patch 3's centre: x = 10 + 48 + 8 = 66, y = 170 - 10 - 5 = 155, radius 1.
    image.SetPixel(66, 155, MakeColour(19, 29, 39));
    // The table ends at an unreadable page: nothing past patch 23 is written.
    test::GuardedEnd<GreyPatchTable> guarded;
    GreyPatchTable& table = *guarded;
    table[3].reference = MakeColour(7, 7, 7);
    table[3].correction = {1.5, 2.5, 3.5};
    SampleGreyWedge(image, slots, g, table);
    EXPECT_EQ(table[3].measured, MakeColour(11, 21, 31));
    EXPECT_EQ(table[3].reference, MakeColour(7, 7, 7));
    EXPECT_EQ(table[3].correction[2], 3.5);
    for (int i : {0, 4, 23}) EXPECT_EQ(table[static_cast<std::size_t>(i)].measured, MakeColour(10, 20, 30)) << i;
}

}  // namespace
}  // namespace calvix
