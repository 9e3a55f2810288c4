// Drawing into a ScanBitmap: line pixels and pen widths, clipping of far-away end points,
// the inverting marker that a second drawing removes, polygon outlines and filled rectangles.

#include "analysis/Drawing.h"

#include "BmpTestFiles.h"

#include <gtest/gtest.h>

namespace calvix {
namespace {

constexpr PackedColour Red = MakeColour(255, 0, 0);
constexpr PackedColour White = MakeColour(255, 255, 255);

ScanBitmap WhiteImage(int w, int h) {
    ScanBitmap image(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) image.SetPixel(x, y, White);
    }
    return image;
}

std::vector<Point> Painted(const ScanBitmap& image, PackedColour colour) {
    std::vector<Point> points;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            if (image.Pixel(x, y) == colour) points.push_back({x, y});
        }
    }
    return points;
}

TEST(DrawLine, ThinLinesCoverBothEndsAndTheNearestPixels) {
    struct Case {
        Point from, to;
        std::vector<Point> pixels;  // in row-major order
    };
    const Case cases[] = {
        {{1, 1}, {4, 1}, {{1, 1}, {2, 1}, {3, 1}, {4, 1}}},
        {{2, 3}, {2, 1}, {{2, 1}, {2, 2}, {2, 3}}},
        {{0, 0}, {3, 3}, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        {{0, 0}, {4, 2}, {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}},
        {{3, 3}, {3, 3}, {{3, 3}}},
    };
    for (const Case& c : cases) {
        ScanBitmap image = WhiteImage(6, 5);
        DrawLine(image, c.from, c.to, Pen{Red});
        EXPECT_EQ(Painted(image, Red), c.pixels) << c.from.x << "," << c.from.y << " -> " << c.to.x << "," << c.to.y;
    }
}

TEST(DrawLine, FivePixelPenGivesAFivePixelWideStroke) {
    ScanBitmap image = WhiteImage(20, 20);
    DrawLine(image, {10, 2}, {10, 17}, Pen{Red, 5});
    for (int x = 0; x < 20; ++x) EXPECT_EQ(image.Pixel(x, 10) == Red, x >= 8 && x <= 12) << x;
    // Round tip: the stroke's corners beyond the end point stay clear.
    EXPECT_EQ(image.Pixel(10, 0), Red);
    EXPECT_EQ(image.Pixel(8, 0), White);
    Pen square{Red, 5};
    square.tip = PenTip::Square;
    ScanBitmap squared = WhiteImage(20, 20);
    DrawLine(squared, {10, 2}, {10, 17}, square);
    EXPECT_EQ(squared.Pixel(8, 0), Red);
}

TEST(DrawLine, FarAwayEndPointsAreClippedNotWalked) {
    ScanBitmap image = WhiteImage(50, 10);
    DrawLine(image, {-1000000000, 5}, {1000000000, 5}, Pen{Red, 1});
    EXPECT_EQ(Painted(image, Red).size(), 50u);
    ScanBitmap steep = WhiteImage(50, 10);
    DrawLine(steep, {1000000, -2000000000}, {1000000, 2000000000}, Pen{Red, 5});
    EXPECT_TRUE(Painted(steep, Red).empty());
    ScanBitmap diagonal = WhiteImage(10, 10);
    DrawLine(diagonal, {INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}, Pen{Red, 1});
    EXPECT_FALSE(Painted(diagonal, Red).empty());
}

TEST(DrawMarker, InvertingMarkerDrawnTwiceRestoresTheImage) {
    const ScanBitmap original = test::Pattern(30, 30);
    for (Point centre : {Point{15, 15}, Point{0, 0}, Point{29, 3}, Point{-2, 40}}) {
        for (int s : {0, 1, 3, 5}) {
            ScanBitmap image = original;
            DrawMarker(image, centre, s, std::nullopt);
            if (original.Contains(centre.x, centre.y) && s > 0) {
                EXPECT_NE(image, original);
            }
            DrawMarker(image, centre, s, std::nullopt);
            EXPECT_EQ(image, original) << centre.x << "," << centre.y << " s=" << s;
        }
    }
}

TEST(DrawMarker, InvertingPenInvertsEachPixelOnce) {
    ScanBitmap image = WhiteImage(11, 11);
    DrawMarker(image, {5, 5}, 3, std::nullopt);
    const PackedColour black = MakeColour(0, 0, 0);
    // Centre and corners lie on several lines of the figure and still show inverted.
    for (Point p : {Point{5, 5}, Point{2, 2}, Point{8, 8}, Point{2, 5}, Point{4, 4}}) {
        EXPECT_EQ(image.Pixel(p.x, p.y), black) << p.x << "," << p.y;
    }
    EXPECT_EQ(Painted(image, black).size(), 33u);
    EXPECT_EQ(image.Pixel(0, 0), White);
}

TEST(DrawMarker, PenMarkerPaintsCrossAndSquare) {
    ScanBitmap image = WhiteImage(11, 11);
    const PackedColour green = MakeColour(0, 128, 0);
    DrawMarker(image, {5, 5}, 3, Pen{green});
    for (Point p : {Point{5, 5}, Point{2, 2}, Point{8, 2}, Point{8, 8}, Point{2, 8}, Point{5, 2}, Point{2, 5}, Point{4, 6}}) {
        EXPECT_EQ(image.Pixel(p.x, p.y), green) << p.x << "," << p.y;
    }
    EXPECT_EQ(image.Pixel(5, 4), White);  // the square is hollow
    EXPECT_EQ(Painted(image, green).size(), 24u + 12u - 4u + 1u);  // outline, arms, centre
}

TEST(DrawPolygon, ClosedOutline) {
    ScanBitmap image = WhiteImage(8, 8);
    const Point square[] = {{1, 1}, {1, 5}, {5, 5}, {5, 1}};
    DrawPolygon(image, square, Pen{Red});
    EXPECT_EQ(Painted(image, Red).size(), 16u);
    EXPECT_EQ(image.Pixel(3, 1), Red);  // the closing edge back to the first vertex
    EXPECT_EQ(image.Pixel(3, 3), White);
}

TEST(FillRect, ExcludesRightAndBottomAndClips) {
    ScanBitmap image = WhiteImage(6, 6);
    FillRect(image, 1, 2, 3, 5, Red);
    EXPECT_EQ(Painted(image, Red).size(), 2u * 3u);
    EXPECT_EQ(image.Pixel(3, 2), White);
    FillRect(image, -5, -5, 100, 1, Red);
    EXPECT_EQ(Painted(image, Red).size(), 6u + 6u);
    FillRect(image, 4, 4, 2, 2, Red);  // inverted rectangle paints nothing
    EXPECT_EQ(Painted(image, Red).size(), 12u);
}

}  // namespace
}  // namespace calvix
