// Chart sharpness: one region per side on the card's outer edge, sized so that it holds that edge
// alone (clear of the box line inside and of the image border outside) with as much phase as the
// room allows, then the sides' figures per direction and the channel shifts solved in x and y.
#include "quality/ChartSharpness.h"

#include "analysis/It8frame.h"

#include <algorithm>
#include <cmath>

namespace calvix {

namespace {

constexpr double kSlack = 4.0;             // the card edge's place from the corners, scale included
constexpr double kLineClearance = 10.0;    // kept off the box line's outer edge and its blur
constexpr double kCornerClearance = 100.0; // kept off each end of a side, where the card turns
constexpr double kMaxLength = 600.0;
constexpr double kMinLength = 64.0;
// Phase worth narrowing the window for: a few pixels fill every quarter-pixel bin many times.
constexpr double kPreferredSpread = 6.0;
constexpr int kMinHalfWidth = 12;
constexpr double kNyquist = 0.5;

struct SidePlan {
    PixelRegion region;
    EdgeOrientation orientation = EdgeOrientation::NearVertical;
    int half = 0;
    std::string why;  // empty when planned
};

SidePlan PlanSide(const ScanBitmap& image, const BoxCorners& corners, ChartSide side, const ChartSharpnessSettings& s) {
    static constexpr int kEnds[ChartSideCount][2] = {{0, 2}, {1, 3}, {0, 1}, {2, 3}};
    const int index = static_cast<int>(side);
    const bool vertical = side == ChartSide::Left || side == ChartSide::Right;
    const double outward = side == ChartSide::Left || side == ChartSide::Top ? -1.0 : 1.0;
    const int a = vertical ? 1 : 0;  // the coordinate along the side, then the one across
    const int c = 1 - a;
    const auto& p0 = corners[static_cast<std::size_t>(kEnds[index][0])];
    const auto& p1 = corners[static_cast<std::size_t>(kEnds[index][1])];
    const double dAlong = p1[static_cast<std::size_t>(a)] - p0[static_cast<std::size_t>(a)];
    const double dAcross = p1[static_cast<std::size_t>(c)] - p0[static_cast<std::size_t>(c)];
    const double length = std::hypot(dAlong, dAcross);
    SidePlan plan;
    plan.orientation = vertical ? EdgeOrientation::NearVertical : EdgeOrientation::NearHorizontal;
    const double maxLength = std::min(kMaxLength, length - 2.0 * kCornerClearance);
    if (!(dAlong > 0.0) || maxLength < kMinLength) {
        plan.why = "the box corners leave no straight stretch of this side";
        return plan;
    }
    // The card edge: the line's middle moved out along the side's normal.
    const double offset = s.layout.lineWidth / 2.0 + s.layout.surroundMargin;
    const double along = (p0[static_cast<std::size_t>(a)] + p1[static_cast<std::size_t>(a)]) / 2.0 - outward * offset * dAcross / length;
    const double across = (p0[static_cast<std::size_t>(c)] + p1[static_cast<std::size_t>(c)]) / 2.0 + outward * offset * dAlong / length;
    const int alongSize = vertical ? image.Height() : image.Width();
    const int acrossSize = vertical ? image.Width() : image.Height();
    const double outerRoom = outward < 0.0 ? across : acrossSize - 1.0 - across;
    const double innerRoom = s.layout.surroundMargin - kLineClearance;
    const double slope = std::abs(dAcross / dAlong);
    const double fullHalf = s.edge.maxHalfWidth;

    // Along the side the region runs as long as the room across lets the edge wander, keeping the
    // full window where that still leaves a few pixels of phase.
    const double spreadMax = maxLength * slope;
    const double keepFull = std::min(innerRoom - kSlack - fullHalf, 2.0 * (outerRoom - kSlack - fullHalf));
    double spread = std::min(spreadMax, std::max(keepFull, std::min(spreadMax, kPreferredSpread)));
    const double regionLength = slope > 0.0 ? std::clamp(spread / slope, kMinLength, maxLength) : maxLength;
    spread = regionLength * slope;
    plan.half = static_cast<int>(std::floor(std::min({fullHalf, innerRoom - kSlack - spread, outerRoom - kSlack - spread / 2.0})));
    if (plan.half < kMinHalfWidth) {
        plan.why = "too little card or background beside this side's edge for a region";
        return plan;
    }
    const double reach = spread / 2.0 + plan.half + kSlack;
    const int lowAcross = std::max(0, static_cast<int>(std::floor(across - reach)));
    const int highAcross = std::min(acrossSize - 1, static_cast<int>(std::ceil(across + reach)));
    const int lowAlong = std::max(0, static_cast<int>(std::lround(along - regionLength / 2.0)));
    const int highAlong = std::min(alongSize, lowAlong + static_cast<int>(std::lround(regionLength)));
    const int acrossExtent = highAcross - lowAcross + 1;
    const int alongExtent = highAlong - lowAlong;
    plan.region = vertical ? PixelRegion{lowAcross, lowAlong, acrossExtent, alongExtent}
                           : PixelRegion{lowAlong, lowAcross, alongExtent, acrossExtent};
    return plan;
}

// The two sides of one direction into its figures; slope gets the mean green edge slope.
void Combine(const std::array<SideSharpness, ChartSideCount>& sides, ChartSide first, ChartSide second,
             DirectionSharpness& d, double& slope) {
    std::array<int, SfrChannelCount> count50{}, count10{};
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
            if (e.channel[c].mtf10) sum10[c] += *e.channel[c].mtf10, ++count10[c];
        }
        red += e.channel[SfrRed].position - e.channel[SfrGreen].position;
        blue += e.channel[SfrBlue].position - e.channel[SfrGreen].position;
        slopes += e.channel[SfrGreen].slope;
    }
    if (d.sides == 0) return;
    d.status = EdgeStatus::Measured;
    for (std::size_t c = 0; c < SfrChannelCount; ++c) {
        if (count50[c] > 0) d.mtf50[c] = sum50[c] / count50[c];
        if (count10[c] > 0) d.mtf10[c] = sum10[c] / count10[c];
        d.samplingEfficiency[c] = d.mtf10[c] ? std::min(100.0, *d.mtf10[c] / kNyquist * 100.0) : 100.0;
    }
    d.redShift = red / d.sides;
    d.blueShift = blue / d.sides;
    slope = slopes / d.sides;
}

}  // namespace

ChartSharpnessResult MeasureChartSharpness(const ScanBitmap& image, const BoxCorners& corners,
                                           const ChartSharpnessSettings& settings) {
    ChartSharpnessResult result;
    for (int i = 0; i < ChartSideCount; ++i) {
        SideSharpness& side = result.sides[static_cast<std::size_t>(i)];
        const SidePlan plan = PlanSide(image, corners, static_cast<ChartSide>(i), settings);
        if (!plan.why.empty()) {
            side.edge.status = EdgeStatus::BadRegion;
            side.edge.message = plan.why;
            continue;
        }
        side.region = plan.region;
        SlantedEdgeSettings edge = settings.edge;
        edge.maxHalfWidth = plan.half;
        side.edge = MeasureSlantedEdge(image, plan.region, plan.orientation, edge);
    }
    double n = 0.0, m = 0.0;  // dx/dy of the side edges, dy/dx of the top and bottom
    Combine(result.sides, ChartSide::Left, ChartSide::Right, result.horizontal, n);
    Combine(result.sides, ChartSide::Top, ChartSide::Bottom, result.vertical, m);
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
