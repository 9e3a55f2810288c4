// The zoom view's geometry: how many image pixels fit at a factor, where they sit in the view,
// which image region a zoom centre selects, the picture that shows it, and the colour
// read-outs of the centre pixel.
#pragma once

#include "analysis/ImageChild.h"
#include "analysis/ScanBitmap.h"
#include "views/DrawList.h"

#include <array>
#include <optional>
#include <string>

namespace calvix {

// The zoom track bar's range and start position.
inline constexpr int MinZoomFactor = 2;
inline constexpr int MaxZoomFactor = 25;
inline constexpr int DefaultZoomFactor = 8;
// Below this factor the grid lines would cover the picture.
inline constexpr int MinGridZoomFactor = 5;

inline constexpr PackedColour ZoomBackground = MakeColour(128, 128, 128);
inline constexpr PackedColour ViewCleared = MakeColour(255, 255, 255);

int ClampZoomFactor(int factor);

struct ZoomLayout {
    int factor = DefaultZoomFactor;
    int srcW = 0;  // image pixels shown
    int srcH = 0;
    int dstW = 0;  // view pixels they cover
    int dstH = 0;
    int offX = 0;  // where they start in the view
    int offY = 0;

    friend constexpr bool operator==(const ZoomLayout&, const ZoomLayout&) = default;
};

// The factor is clamped to the track bar's range first.
ZoomLayout ComputeZoomLayout(ViewSurface zoom, int factor);

// The image region around the zoom centre (window coordinates, so the scroll positions are
// added back); none when the region would reach outside the image or is empty.
std::optional<ZoomRect> ZoomSource(const ZoomLayout& layout, Point centre, const ImageViewport& viewport,
                                   int imageWidth, int imageHeight);

// The image pixel in the middle of a source rectangle, whose colours the read-outs show.
Point ZoomCentrePixel(const ZoomRect& source);

// Grey background, the stretched source, the frame around the centre pixel and, when asked for
// and the factor allows it, the pixel grid.
DrawList ZoomPicture(const ZoomLayout& layout, const ZoomRect& source, ViewSurface zoom, bool grid);

// The six labels of the zoom page: the centre pixel alone and the 5 x 5 mean around it.
struct ZoomReadOuts {
    std::array<std::string, 3> centre;  // red, green, blue
    std::array<std::string, 3> region;
};
ZoomReadOuts ReadOutsAt(const ScanBitmap& image, Point pixel);

// The focus rectangle that marks the zoom source on the image, while it is drawn.
std::optional<FrameCommand> SourceRectMark(const TChildImage& window);

}  // namespace calvix
