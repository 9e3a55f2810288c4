// Chart sharpness: per side one edge of stretches, a stretch along the middle half of each patch
// (clear of the patch's own corners and their blur), its window reaching half a cell into the card
// and six tenths into the patch, whose printed edge may sit a little inside its raster cell; then
// the sides' figures per direction and the channel shifts solved in x and y.
#include "quality/ChartSharpness.h"

#include "analysis/It8frame.h"
#include "it8ref/It8Ref.h"

#include <algorithm>
#include <cmath>

namespace calvix {

namespace {

constexpr double kNyquist = 0.5;
constexpr double kCardReach = 0.5;   // of a cell, from the raster line into the card
constexpr double kPatchReach = 0.6;  // into the patch
constexpr double kStretchFrom = 0.25, kStretchTo = 0.75;  // of each patch's cell, along the edge

struct Vec2 {
    double x = 0.0, y = 0.0;
};

// A place in the box by its share u of the width and v of the height, between the line's middles.
Vec2 InBox(const BoxCorners& c, double u, double v) {
    const double w[4] = {(1 - u) * (1 - v), u * (1 - v), (1 - u) * v, u * v};
    Vec2 p;
    for (std::size_t i = 0; i < 4; ++i) p.x += w[i] * c[i][0], p.y += w[i] * c[i][1];
    return p;
}

double Distance(const std::array<double, 2>& a, const std::array<double, 2>& b) { return std::hypot(b[0] - a[0], b[1] - a[1]); }

// Where a side's edge runs in the raster, which cells hold its patches and where the card lies.
struct SideLayout {
    bool alongU = false;  // the edge runs along u (near-horizontal) or along v
    double at = 0.0;      // the raster line: v for an edge along u, u for one along v
    int firstCell = 0;
    int lastCell = 0;
    bool cardBefore = true;  // the card lies toward smaller across coordinates
};

SideLayout LayoutOf(ChartSide side) {
    switch (side) {
        case ChartSide::Left: return {false, 1.0 / RasterColumns, 1, It8PatchRows, true};
        case ChartSide::Right: return {false, (RasterColumns - 1.0) / RasterColumns, 1, It8PatchRows, false};
        case ChartSide::Top: return {true, 1.0 / RasterRows, 1, It8PatchColumns, true};
        case ChartSide::Bottom: return {true, (RasterRows - 2.0) / RasterRows, 0, RasterColumns - 1, true};
    }
    return {};
}

EdgeWindows PlanSide(const BoxCorners& corners, ChartSide side) {
    const SideLayout layout = LayoutOf(side);
    const double boxWidth = (Distance(corners[0], corners[1]) + Distance(corners[2], corners[3])) / 2.0;
    const double boxHeight = (Distance(corners[0], corners[2]) + Distance(corners[1], corners[3])) / 2.0;
    const double cell = layout.alongU ? boxHeight / RasterRows : boxWidth / RasterColumns;
    const double cells = layout.alongU ? RasterColumns : RasterRows;
    EdgeWindows windows;
    windows.orientation = layout.alongU ? EdgeOrientation::NearHorizontal : EdgeOrientation::NearVertical;
    windows.width = static_cast<int>(std::lround((kCardReach + kPatchReach) * cell)) + 1;
    if (!(cell > 0.0)) return windows;
    const double before = (layout.cardBefore ? kCardReach : kPatchReach) * cell;
    for (int k = layout.firstCell; k <= layout.lastCell; ++k) {
        const double from = (k + kStretchFrom) / cells, to = (k + kStretchTo) / cells;
        const Vec2 a = layout.alongU ? InBox(corners, from, layout.at) : InBox(corners, layout.at, from);
        const Vec2 b = layout.alongU ? InBox(corners, to, layout.at) : InBox(corners, layout.at, to);
        const double a0 = layout.alongU ? a.x : a.y, a1 = layout.alongU ? b.x : b.y;  // along
        const double c0 = layout.alongU ? a.y : a.x, c1 = layout.alongU ? b.y : b.x;  // across
        if (!(a1 > a0)) continue;
        const double slope = (c1 - c0) / (a1 - a0);
        const int first = static_cast<int>(std::ceil(a0));
        const int last = static_cast<int>(std::floor(a1));
        if (last < first) continue;
        windows.stretches.push_back({first, last - first + 1, c0 + slope * (first - a0) - before, slope});
    }
    return windows;
}

}  // namespace

void CombineSides(const std::array<SideSharpness, ChartSideCount>& sides, ChartSide first, ChartSide second,
                  DirectionSharpness& d, double& slope) {
    std::array<int, SfrChannelCount> count50{}, count10{}, above10{};
    std::array<double, SfrChannelCount> sum50{}, sum10{};
    double red = 0.0, blue = 0.0, slopes = 0.0;
    const EdgeStatus order[] = {EdgeStatus::TooStraight, EdgeStatus::TooSteep, EdgeStatus::NoEdge, EdgeStatus::BadRegion};
    int worst = 4;
    for (ChartSide side : {first, second}) {
        const SlantedEdgeResult& e = sides[static_cast<std::size_t>(side)].edge;
        if (e.status != EdgeStatus::Measured) {
            const int rank = static_cast<int>(std::find(std::begin(order), std::end(order), e.status) - std::begin(order));
            if (rank < worst) worst = rank, d.status = e.status;
            static const char* const kNames[] = {"left", "right", "top", "bottom"};
            d.message += std::string(d.message.empty() ? "" : "; ") + kNames[static_cast<int>(side)] + ": " + e.message;
            continue;
        }
        ++d.sides;
        for (std::size_t c = 0; c < SfrChannelCount; ++c) {
            if (e.channel[c].mtf50) sum50[c] += *e.channel[c].mtf50, ++count50[c];
            const ChannelSfr& channel = e.channel[c];
            if (channel.mtf10) sum10[c] += *channel.mtf10, ++count10[c];
            else if (!channel.mtf.empty() && channel.mtf.back().frequency >= kNyquist) ++above10[c];
        }
        red += e.channel[SfrRed].position - e.channel[SfrGreen].position;
        blue += e.channel[SfrBlue].position - e.channel[SfrGreen].position;
        slopes += e.channel[SfrGreen].slope;
    }
    if (d.sides == 0) return;
    d.status = EdgeStatus::Measured;
    for (std::size_t c = 0; c < SfrChannelCount; ++c) {
        if (count50[c] > 0) d.mtf50[c] = sum50[c] / count50[c];
        // A curve that stays above 10 % up to the Nyquist frequency resolves at least that much:
        // beside a side that falls, it counts as the Nyquist frequency (the mean is then a lower
        // bound) rather than leaving the blurrier side's figure alone to lower the efficiency.
        if (count10[c] > 0) d.mtf10[c] = (sum10[c] + above10[c] * kNyquist) / (count10[c] + above10[c]);
        d.samplingEfficiency[c] = d.mtf10[c] ? std::min(100.0, *d.mtf10[c] / kNyquist * 100.0) : 100.0;
    }
    d.redShift = red / d.sides;
    d.blueShift = blue / d.sides;
    slope = slopes / d.sides;
}

ChartSharpnessResult MeasureChartSharpness(const ScanBitmap& image, const BoxCorners& corners,
                                           const ChartSharpnessSettings& settings) {
    ChartSharpnessResult result;
    for (int i = 0; i < ChartSideCount; ++i) {
        SideSharpness& side = result.sides[static_cast<std::size_t>(i)];
        side.windows = PlanSide(corners, static_cast<ChartSide>(i));
        if (side.windows.stretches.empty()) {
            side.edge.status = EdgeStatus::BadRegion;
            side.edge.message = "the box corners leave no patch edge on this side";
            continue;
        }
        side.edge = MeasureSlantedEdge(image, side.windows, settings.edge);
    }
    double n = 0.0, m = 0.0;  // dx/dy of the side edges, dy/dx of the top and bottom
    CombineSides(result.sides, ChartSide::Left, ChartSide::Right, result.horizontal, n);
    CombineSides(result.sides, ChartSide::Top, ChartSide::Bottom, result.vertical, m);
    if (result.horizontal.status == EdgeStatus::Measured && result.vertical.status == EdgeStatus::Measured) {
        // A slanted edge moved by (dx, dy) shows dx - n dy across a side and dy - m dx across the
        // top or bottom: at a few degrees that mix is a few hundredths of a pixel, so it is undone.
        DirectionSharpness& h = result.horizontal;
        DirectionSharpness& v = result.vertical;
        const double det = 1.0 - n * m;
        const double redX = (h.redShift + n * v.redShift) / det, redY = (v.redShift + m * h.redShift) / det;
        const double blueX = (h.blueShift + n * v.blueShift) / det, blueY = (v.blueShift + m * h.blueShift) / det;
        h.redShift = redX, v.redShift = redY, h.blueShift = blueX, v.blueShift = blueY;
    }
    return result;
}

ChartSharpnessResult MeasureChartSharpness(const ScanBitmap& image, const std::array<Point, 5>& slots,
                                           const ChartSharpnessSettings& settings) {
    auto at = [&](int slot) {
        const Point& p = slots[static_cast<std::size_t>(slot)];
        return std::array<double, 2>{static_cast<double>(p.x), static_cast<double>(p.y)};
    };
    return MeasureChartSharpness(image, BoxCorners{at(SlotUpperLeft), at(SlotUpperRight), at(SlotLowerLeft), at(SlotLowerRight)},
                                 settings);
}

}  // namespace calvix
