// Zoom view geometry: sizes and offsets per factor, the source rectangle at the image borders,
// the centre frame, the pixel grid rule and the colour read-outs.
#include "views/ZoomView.h"

#include "DrawListQueries.h"

#include <gtest/gtest.h>

namespace calvix {
namespace {

using test::All;

TEST(ZoomLayout, SizesAndOffsetsPerFactor) {
    struct Case {
        ViewSurface view;
        int factor;
        ZoomLayout expected;
    };
    const Case cases[] = {
        {{236, 149}, 8, {8, 29, 18, 232, 144, 2, 2}},
        {{236, 149}, 2, {2, 118, 74, 236, 148, 0, 0}},
        {{236, 149}, 25, {25, 9, 5, 225, 125, 5, 12}},
        {{236, 149}, 1, {2, 118, 74, 236, 148, 0, 0}},   // below the track bar: its lowest
        {{236, 149}, 40, {25, 9, 5, 225, 125, 5, 12}},   // above: its highest
        {{7, 7}, 8, {8, 0, 0, 0, 0, 3, 3}},               // not one zoomed pixel fits
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ComputeZoomLayout(c.view, c.factor), c.expected) << c.view.width << "x" << c.view.height << " f" << c.factor;
    }
}

TEST(ZoomSource, RegionAroundTheCentreOrNoneAtTheBorders) {
    const ZoomLayout layout = ComputeZoomLayout({236, 149}, 8);  // 29 x 18
    struct Case {
        Point centre;
        ImageViewport viewport;
        std::optional<ZoomRect> expected;
    };
    const Case cases[] = {
        {{100, 50}, {}, ZoomRect{86, 41, 29, 18}},
        {{14, 9}, {}, ZoomRect{0, 0, 29, 18}},           // touching the top-left corner
        {{13, 50}, {}, std::nullopt},                     // closer than srcW/2 to the left
        {{100, 8}, {}, std::nullopt},                     // closer than srcH/2 to the top
        {{13, 8}, {1, 1, 0, 0}, ZoomRect{0, 0, 29, 18}},  // the scroll positions count
        {{185, 50}, {}, ZoomRect{171, 41, 29, 18}},       // right edge exactly on the image's
        {{186, 50}, {}, std::nullopt},
        {{100, 91}, {}, ZoomRect{86, 82, 29, 18}},        // bottom edge exactly on the image's
        {{100, 92}, {}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ZoomSource(layout, c.centre, c.viewport, 200, 100), c.expected) << c.centre.x << "," << c.centre.y;
    }
    EXPECT_EQ(ZoomSource(ComputeZoomLayout({7, 7}, 8), {50, 50}, {}, 200, 100), std::nullopt);
}

TEST(ZoomPicture, GreyBackgroundStretchedSourceAndCentreFrame) {
    const ZoomLayout layout = ComputeZoomLayout({236, 149}, 8);
    const ZoomRect source{86, 41, 29, 18};
    const DrawList picture = ZoomPicture(layout, source, {236, 149}, false);
    ASSERT_EQ(picture.size(), 3u);
    const auto& fill = std::get<FillCommand>(picture[0]);
    EXPECT_EQ(fill.rect, (ViewRect{0, 0, 236, 149}));
    EXPECT_EQ(fill.colour, MakeColour(128, 128, 128));
    const auto& stretch = std::get<StretchCommand>(picture[1]);
    EXPECT_EQ(stretch.source, source);
    EXPECT_EQ(stretch.target, (ViewRect{2, 2, 232, 144}));
    const auto& frame = std::get<FrameCommand>(picture[2]);
    // x0 = 2 + 14 * 8 - 1, y0 = 2 + 9 * 8 - 1; the frame is f + 2 further on.
    EXPECT_EQ(frame.from, (Point{113, 73}));
    EXPECT_EQ(frame.to, (Point{123, 83}));
    EXPECT_EQ(frame.stroke, (Stroke{MakeColour(0, 0, 0), 3, StrokeMode::Invert}));
    EXPECT_EQ(ZoomCentrePixel(source), (Point{100, 50}));
}

TEST(ZoomPicture, GridFromFactorFiveUpOnlyAndOnlyWhenAskedFor) {
    for (int f = MinZoomFactor; f <= MaxZoomFactor; ++f) {
        const ZoomLayout layout = ComputeZoomLayout({236, 149}, f);
        const ZoomRect source{0, 0, layout.srcW, layout.srcH};
        const auto lines = All<LineCommand>(ZoomPicture(layout, source, {236, 149}, true));
        const std::size_t expected = f > 4 ? static_cast<std::size_t>(layout.srcW + layout.srcH) : 0u;
        EXPECT_EQ(lines.size(), expected) << "factor " << f;
        EXPECT_TRUE(All<LineCommand>(ZoomPicture(layout, source, {236, 149}, false)).empty()) << "factor " << f;
    }
    const ZoomLayout layout = ComputeZoomLayout({236, 149}, 8);
    const auto lines = All<LineCommand>(ZoomPicture(layout, {0, 0, 29, 18}, {236, 149}, true));
    ASSERT_EQ(lines.size(), 29u + 18u);
    EXPECT_EQ(lines.front().from, (Point{2, 2}));
    EXPECT_EQ(lines.front().to, (Point{2, 146}));
    EXPECT_EQ(lines[28].from, (Point{2 + 28 * 8, 2}));
    EXPECT_EQ(lines[29].from, (Point{2, 2}));
    EXPECT_EQ(lines[29].to, (Point{234, 2}));
    EXPECT_EQ(lines.back().from, (Point{2, 2 + 17 * 8}));
    EXPECT_EQ(lines.back().stroke, (Stroke{MakeColour(0, 0, 0), 1, StrokeMode::Invert}));
}

TEST(ZoomReadOuts, CentrePixelAndFiveByFiveMean) {
    ScanBitmap image(20, 20);  // black
    image.SetPixel(10, 10, MakeColour(255, 0, 16));
    image.SetPixel(11, 10, MakeColour(0, 250, 0));
    image.SetPixel(12, 12, MakeColour(0, 0, 200));
    image.SetPixel(13, 10, MakeColour(255, 255, 255));  // outside the 5 x 5 square
    const ZoomReadOuts r = ReadOutsAt(image, {10, 10});
    EXPECT_EQ(r.centre, (std::array<std::string, 3>{"255 (0xFF)", "000 (0x00)", "016 (0x10)"}));
    // 255 / 25, 250 / 25, (16 + 200) / 25, each truncated.
    EXPECT_EQ(r.region, (std::array<std::string, 3>{"010 (0x0A)", "010 (0x0A)", "008 (0x08)"}));
}

}  // namespace
}  // namespace calvix
