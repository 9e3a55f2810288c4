// Where the window commands put the image windows: tiled one above the other ("tile
// horizontal") or side by side ("tile vertical") in the frame's client area.
#pragma once

#include <QRect>

#include <vector>

namespace calvix {

enum class TileMode { Horizontal, Vertical };

// count rectangles filling the area; the last one takes what the division leaves over.
std::vector<QRect> TileRects(const QRect& area, int count, TileMode mode);

}  // namespace calvix
