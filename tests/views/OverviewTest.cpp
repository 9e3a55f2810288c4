// The overview: its reduced bitmap with and without the aspect kept, the ratio and mark of the
// visible part (also for images smaller than the overview), and navigation by the overview.
#include "analysis/Overview.h"
#include "views/OverviewMark.h"

#include <gtest/gtest.h>

#include <tuple>

namespace calvix {
namespace {

// Width and height of the part of an overview that the picture covers (the rest stays white).
ViewSurface Covered(const ScanBitmap& overview) {
    ViewSurface covered;
    for (int y = 0; y < overview.Height(); ++y)
        for (int x = 0; x < overview.Width(); ++x)
            if (overview.Pixel(x, y) != MakeColour(255, 255, 255)) {
                covered.width = std::max(covered.width, x + 1);
                covered.height = std::max(covered.height, y + 1);
            }
    return covered;
}

TEST(OverviewBitmap, PictureCoversTruncatedScaledSize) {
    struct Case {
        int w, h;
        OverviewGeometry geometry;
        ViewSurface covered;
    };
    const Case cases[] = {
        {2480, 1750, {236, 131, false}, {236, 131}},
        {2480, 1750, {236, 131, true}, {185, 131}},  // 2480 * 131 / 1750 = 185.6
        {1750, 2480, {236, 131, true}, {92, 131}},
        {2480, 200, {236, 131, true}, {236, 19}},    // 200 * 236 / 2480 = 19.03
        {100, 50, {236, 131, false}, {236, 131}},    // smaller than the overview: stretched up
        {100, 50, {236, 131, true}, {236, 118}},
        // Widths for which a real scale rounds W * (236 / W) down to 235.
        {21, 10, {236, 131, false}, {236, 131}},
        {29, 97, {236, 100, false}, {236, 100}},
    };
    for (const Case& c : cases) {
        const ScanBitmap overview = MakeOverviewBitmap(ScanBitmap(c.w, c.h), c.geometry);
        ASSERT_EQ(overview.Width(), c.geometry.width);
        EXPECT_EQ(Covered(overview), c.covered) << c.w << "x" << c.h << " keep " << c.geometry.keepAspect;
    }
}

TEST(OverviewBitmap, DropsPixelsWithoutBlending) {
    ScanBitmap image(4, 1);
    for (int x = 0; x < 4; ++x) image.SetPixel(x, 0, MakeColour(10 * (x + 1), 0, 0));
    const ScanBitmap overview = MakeOverviewBitmap(image, {2, 1, false});
    EXPECT_EQ(overview.Pixel(0, 0), MakeColour(10, 0, 0));
    EXPECT_EQ(overview.Pixel(1, 0), MakeColour(30, 0, 0));
}

TEST(OverviewRatio, WholeNumbersAndExactRatioForSmallSides) {
    struct Case {
        int w, h;
        SideRatio rx, ry;
    };
    const Case cases[] = {
        {2480, 1750, {10, 1}, {13, 1}},
        {236, 131, {1, 1}, {1, 1}},
        {471, 261, {1, 1}, {1, 1}},
        {100, 1750, {100, 236}, {13, 1}},  // narrower than the overview
        {2480, 50, {10, 1}, {50, 131}},
        {1, 1, {1, 236}, {1, 131}},
    };
    for (const Case& c : cases) {
        const auto ratio = OverviewRatioFor(c.w, c.h, {236, 131});
        ASSERT_TRUE(ratio) << c.w << "x" << c.h;
        EXPECT_EQ(ratio->rx, c.rx) << c.w << "x" << c.h;
        EXPECT_EQ(ratio->ry, c.ry) << c.w << "x" << c.h;
    }
    EXPECT_FALSE(OverviewRatioFor(0, 100, {236, 131}));
    EXPECT_FALSE(OverviewRatioFor(100, 100, {0, 131}));
}

TEST(OverviewMark, VisiblePartInOverviewPixels) {
    const ImageViewport viewport{505, 130, 600, 400};
    EXPECT_EQ(OverviewMarkFor({{10, 1}, {13, 1}}, viewport), (ZoomRect{50, 10, 60, 30}));  // 400 / 13 = 30.8
    // Images smaller than the overview, which stretches them: the mark grows like the bitmap.
    struct Case {
        int w, h;
        ImageViewport viewport;
        ZoomRect mark;
    };
    const Case cases[] = {
        {118, 50, {0, 0, 50, 50}, {0, 0, 100, 131}},
        {97, 93, {10, 20, 97, 93}, {24, 28, 236, 131}},  // 10 * 236 / 97 = 24.3, 20 * 131 / 93 = 28.2
        {200, 97, {0, 0, 200, 97}, {0, 0, 236, 131}},
    };
    for (const Case& c : cases) {
        const auto ratio = OverviewRatioFor(c.w, c.h, {236, 131});
        ASSERT_TRUE(ratio);
        EXPECT_EQ(OverviewMarkFor(*ratio, c.viewport), c.mark) << c.w << "x" << c.h;
    }
    // The 5-pixel stroke stays whole inside the overview: a mark of all of it shows four sides.
    for (const auto& [mark, from, to] : {std::tuple{ZoomRect{50, 10, 60, 30}, Point{50, 10}, Point{110, 40}},
                                         {ZoomRect{0, 0, 236, 131}, Point{2, 2}, Point{234, 129}}}) {
        const FrameCommand frame = OverviewMarkFrame(mark, {236, 131});
        EXPECT_EQ(frame.from, from);
        EXPECT_EQ(frame.to, to);
        EXPECT_EQ(frame.stroke, (Stroke{MakeColour(0, 0, 0), 5, StrokeMode::Invert}));
    }
}

TEST(OverviewNavigation, ScrollsToThePointKeptInsideTheRange) {
    const ZoomRect mark{0, 0, 60, 30};
    const ImageViewport viewport{0, 0, 600, 400};
    struct Case {
        int x, y;
        Point scroll;
    };
    const Case cases[] = {
        {130, 45, {1050, 400}},   // (130 - 30) / 236 * 2480 = 1050.8; (45 - 15) / 131 * 1750 = 400.7
        {10, 5, {0, 0}},          // left of and above the range
        {235, 130, {1880, 1350}}, // beyond the end: the last scroll position
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScrollForOverviewPoint(c.x, c.y, mark, {236, 131}, 2480, 1750, viewport), c.scroll) << c.x << "," << c.y;
    }
    // A window larger than its image cannot scroll at all.
    EXPECT_EQ(ScrollForOverviewPoint(200, 100, mark, {236, 131}, 300, 200, viewport), (Point{0, 0}));
    // An overview without width or height leaves the window where it is.
    const ImageViewport scrolled{7, 9, 600, 400};
    EXPECT_EQ(ScrollForOverviewPoint(0, 0, {}, {0, 131}, 2480, 1750, scrolled), (Point{7, 9}));
    EXPECT_EQ(ScrollForOverviewPoint(0, 0, {}, {1, 1}, 2480, 1750, scrolled), (Point{0, 0}));
}

}  // namespace
}  // namespace calvix
