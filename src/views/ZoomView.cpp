// Zoom view geometry and picture. All divisions are integer divisions, so the stretched
// region always covers whole view pixels and sits centred with the remainder split evenly.
#include "views/ZoomView.h"

#include "analysis/PatchSampling.h"

#include <algorithm>
#include <cstdio>

namespace calvix {
namespace {

constexpr Stroke CentreFrameStroke{MakeColour(0, 0, 0), 3, StrokeMode::Invert};
constexpr Stroke GridStroke{MakeColour(0, 0, 0), 1, StrokeMode::Invert};
constexpr Stroke FocusStroke{MakeColour(0, 0, 0), 1, StrokeMode::Invert};
constexpr int ReadOutRegionRadius = 2;

std::string FormatReadOut(int value) {
    char text[24];
    std::snprintf(text, sizeof text, "%03d (0x%02X)", value, value);
    return text;
}

std::array<std::string, 3> FormatChannels(PackedColour colour) {
    return {FormatReadOut(RedOf(colour)), FormatReadOut(GreenOf(colour)), FormatReadOut(BlueOf(colour))};
}

}  // namespace

int ClampZoomFactor(int factor) { return std::clamp(factor, MinZoomFactor, MaxZoomFactor); }

ZoomLayout ComputeZoomLayout(ViewSurface zoom, int factor) {
    ZoomLayout layout;
    layout.factor = ClampZoomFactor(factor);
    layout.srcW = std::max(zoom.width, 0) / layout.factor;
    layout.srcH = std::max(zoom.height, 0) / layout.factor;
    layout.dstW = layout.factor * layout.srcW;
    layout.dstH = layout.factor * layout.srcH;
    layout.offX = (zoom.width - layout.dstW) / 2;
    layout.offY = (zoom.height - layout.dstH) / 2;
    return layout;
}

std::optional<ZoomRect> ZoomSource(const ZoomLayout& layout, Point centre, const ImageViewport& viewport,
                                   int imageWidth, int imageHeight) {
    // A view smaller than one zoomed pixel shows nothing rather than an empty copy.
    if (layout.srcW < 1 || layout.srcH < 1) return std::nullopt;
    const long long left = static_cast<long long>(centre.x) + viewport.scrollX - layout.srcW / 2;
    const long long top = static_cast<long long>(centre.y) + viewport.scrollY - layout.srcH / 2;
    if (left < 0 || top < 0 || left + layout.srcW > imageWidth || top + layout.srcH > imageHeight) {
        return std::nullopt;
    }
    return ZoomRect{static_cast<int>(left), static_cast<int>(top), layout.srcW, layout.srcH};
}

Point ZoomCentrePixel(const ZoomRect& source) {
    return {source.left + source.width / 2, source.top + source.height / 2};
}

DrawList ZoomPicture(const ZoomLayout& layout, const ZoomRect& source, ViewSurface zoom, bool grid) {
    DrawList picture;
    picture.emplace_back(FillCommand{{0, 0, zoom.width, zoom.height}, ZoomBackground});
    picture.emplace_back(StretchCommand{source, {layout.offX, layout.offY, layout.dstW, layout.dstH}});

    const int f = layout.factor;
    const int x0 = layout.offX + (layout.srcW / 2) * f - 1;
    const int y0 = layout.offY + (layout.srcH / 2) * f - 1;
    picture.emplace_back(FrameCommand{{x0, y0}, {x0 + f + 2, y0 + f + 2}, CentreFrameStroke});

    if (grid && f >= MinGridZoomFactor) {
        for (int k = 0; k < layout.srcW; ++k) {
            const int x = layout.offX + k * f;
            picture.emplace_back(LineCommand{{x, layout.offY}, {x, layout.offY + layout.dstH}, GridStroke});
        }
        for (int k = 0; k < layout.srcH; ++k) {
            const int y = layout.offY + k * f;
            picture.emplace_back(LineCommand{{layout.offX, y}, {layout.offX + layout.dstW, y}, GridStroke});
        }
    }
    return picture;
}

ZoomReadOuts ReadOutsAt(const ScanBitmap& image, Point pixel) {
    ZoomReadOuts readOuts;
    readOuts.centre = FormatChannels(PickColorsAround(image, pixel.x, pixel.y, 0));
    readOuts.region = FormatChannels(PickColorsAround(image, pixel.x, pixel.y, ReadOutRegionRadius));
    return readOuts;
}

std::optional<FrameCommand> SourceRectMark(const TChildImage& window) {
    if (!window.sourceRectDrawn) return std::nullopt;
    const ZoomRect& r = window.zoomSource;
    return FrameCommand{{r.left, r.top}, {r.left + r.width, r.top + r.height}, FocusStroke};
}

}  // namespace calvix
