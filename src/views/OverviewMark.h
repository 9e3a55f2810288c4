// The overview's mark and navigation: how many image pixels one overview pixel stands for,
// the rectangle that marks the window's visible part, and where a point of the overview
// scrolls the window to.
#pragma once

#include "analysis/ImageChild.h"
#include "views/DrawList.h"

#include <optional>

namespace calvix {

// The smallest overview the main window's layout allows.
inline constexpr ViewSurface MinOverviewSize{133, 100};

// Image pixels per overview pixel on one axis, as the fraction num / den.
struct SideRatio {
    long long num = 1;
    long long den = 1;

    friend constexpr bool operator==(const SideRatio&, const SideRatio&) = default;
};

struct OverviewRatio {
    SideRatio rx;
    SideRatio ry;
};

// The whole-number ratio of the sides (den 1). An image side shorter than the overview's has
// the ratio 0 in whole numbers; that side gets its exact ratio (below 1) instead, which is how
// far the overview bitmap stretches it. None for an empty image or overview.
std::optional<OverviewRatio> OverviewRatioFor(int imageWidth, int imageHeight, ViewSurface overview);

// The window's visible part in overview pixels.
ZoomRect OverviewMarkFor(const OverviewRatio& ratio, const ImageViewport& viewport);

// The frame that shows a mark on the overview, kept whole inside it: a mark as large as the
// overview would otherwise show only the upper and left halves of its stroke, a strip without
// its other sides.
FrameCommand OverviewMarkFrame(const ZoomRect& mark, ViewSurface overview);

// The scroll positions that put the mark's centre under (x, y) of the overview, kept inside
// what the window can scroll to.
Point ScrollForOverviewPoint(int x, int y, const ZoomRect& mark, ViewSurface overview, int imageWidth,
                             int imageHeight, const ImageViewport& viewport);

}  // namespace calvix
