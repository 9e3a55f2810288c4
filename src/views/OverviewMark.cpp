// Overview mark geometry and overview navigation.
#include "views/OverviewMark.h"

#include <algorithm>
#include <climits>

namespace calvix {
namespace {

constexpr Stroke OverviewMarkStroke{MakeColour(0, 0, 0), 5, StrokeMode::Invert};

// Whole image pixels per overview pixel; the exact ratio where that would be 0.
SideRatio RatioOfSides(int imageSide, int overviewSide) {
    const int whole = imageSide / overviewSide;
    return whole > 0 ? SideRatio{whole, 1} : SideRatio{imageSide, overviewSide};
}

// length / ratio, truncated; the fraction keeps it exact where a real ratio would round.
int Divide(int length, const SideRatio& ratio) {
    return static_cast<int>(std::min(length * ratio.den / ratio.num, static_cast<long long>(INT_MAX)));
}

// The scroll position for one axis: the window's scroll range is the image side.
int ScrollPosition(int at, int markSide, int overviewSide, int imageSide, int clientSide) {
    const long long position = static_cast<long long>(at - markSide / 2) * imageSide / overviewSide;
    const long long limit = std::max(imageSide - std::max(clientSide, 0), 0);
    return static_cast<int>(std::clamp(position, 0LL, limit));
}

}  // namespace

std::optional<OverviewRatio> OverviewRatioFor(int imageWidth, int imageHeight, ViewSurface overview) {
    if (imageWidth < 1 || imageHeight < 1 || overview.width < 1 || overview.height < 1) return std::nullopt;
    return OverviewRatio{RatioOfSides(imageWidth, overview.width), RatioOfSides(imageHeight, overview.height)};
}

ZoomRect OverviewMarkFor(const OverviewRatio& ratio, const ImageViewport& viewport) {
    ZoomRect mark;
    mark.width = Divide(viewport.clientWidth, ratio.rx);
    mark.height = Divide(viewport.clientHeight, ratio.ry);
    mark.top = Divide(viewport.scrollY, ratio.ry);
    mark.left = Divide(viewport.scrollX, ratio.rx);
    return mark;
}

FrameCommand OverviewMarkFrame(const ZoomRect& mark, ViewSurface overview) {
    // The stroke is centred on the frame's lines.
    const int half = OverviewMarkStroke.width / 2;
    const auto inside = [half](int from, int length, int side) {
        const int first = std::clamp(from, half, std::max(side - half - 1, half));
        return std::pair{first, std::clamp(from + length, first + 1, std::max(side - half, first + 1))};
    };
    const auto [left, right] = inside(mark.left, mark.width, overview.width);
    const auto [top, bottom] = inside(mark.top, mark.height, overview.height);
    return FrameCommand{{left, top}, {right, bottom}, OverviewMarkStroke};
}

Point ScrollForOverviewPoint(int x, int y, const ZoomRect& mark, ViewSurface overview, int imageWidth,
                             int imageHeight, const ImageViewport& viewport) {
    if (overview.width < 1 || overview.height < 1) return {viewport.scrollX, viewport.scrollY};
    return {ScrollPosition(x, mark.width, overview.width, imageWidth, viewport.clientWidth),
            ScrollPosition(y, mark.height, overview.height, imageHeight, viewport.clientHeight)};
}

}  // namespace calvix
