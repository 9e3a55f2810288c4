// Drawing commands that the views compute and a window paints as they are: fills, stretched
// copies of an image region, lines, rectangle outlines, polylines and the corner marker.
// Coordinates are pixels of the surface the list is painted on.
#pragma once

#include "analysis/ImageChild.h"
#include "analysis/Point.h"
#include "analysis/ScanBitmap.h"

#include <variant>
#include <vector>

namespace calvix {

// A display area of the main window (the zoom view, the overview) or the graph's plot.
struct ViewSurface {
    int width = 0;
    int height = 0;

    friend constexpr bool operator==(const ViewSurface&, const ViewSurface&) = default;
};

// Left, top, width, height; the zoom source rectangle is one.
using ViewRect = ZoomRect;

// Invert marks can be taken off again by painting them once more, without the picture below.
enum class StrokeMode { Copy, Invert };

struct Stroke {
    PackedColour colour = MakeColour(0, 0, 0);
    int width = 1;
    StrokeMode mode = StrokeMode::Copy;

    friend constexpr bool operator==(const Stroke&, const Stroke&) = default;
};

struct FillCommand {
    ViewRect rect;
    PackedColour colour = 0;
};

// The source region of the window's image, stretched onto the target, pixels repeated.
struct StretchCommand {
    ViewRect source;
    ViewRect target;
};

struct LineCommand {
    Point from;
    Point to;
    Stroke stroke;
};

// Outline of the rectangle with corners from and to.
struct FrameCommand {
    Point from;
    Point to;
    Stroke stroke;
};

struct PolylineCommand {
    std::vector<Point> points;
    Stroke stroke;
};

// The chart analysis's cross-and-square marker: four lines from the centre to the corners of a
// square of the half size, and the square's outline.
struct MarkerCommand {
    Point centre;
    int halfSize = 0;
    Stroke stroke;
};

using DrawCommand =
    std::variant<FillCommand, StretchCommand, LineCommand, FrameCommand, PolylineCommand, MarkerCommand>;
using DrawList = std::vector<DrawCommand>;

}  // namespace calvix
