// Where the window commands put the image windows: tiled one above the other ("tile
// horizontal"), side by side ("tile vertical"), or overlapping ("overlap") in the frame's
// client area.
#pragma once

#include <QRect>

#include <vector>

namespace calvix {

enum class TileMode { Horizontal, Vertical };

// count rectangles filling the area; the last one takes what the division leaves over.
std::vector<QRect> TileRects(const QRect& area, int count, TileMode mode);

// count rectangles, each step further right and down than the one below it, so every title bar
// stays in view; all of one size, never less than half the area, starting at the top left again
// when more windows come than fit.
std::vector<QRect> CascadeRects(const QRect& area, int count, int step);

}  // namespace calvix
