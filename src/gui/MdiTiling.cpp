// Tiling geometry.
#include "gui/MdiTiling.h"

namespace calvix {

std::vector<QRect> TileRects(const QRect& area, int count, TileMode mode) {
    std::vector<QRect> rects;
    if (count <= 0 || area.isEmpty()) return rects;
    const int length = mode == TileMode::Horizontal ? area.height() : area.width();
    const int step = length / count;
    for (int i = 0; i < count; ++i) {
        const int start = i * step;
        const int size = i == count - 1 ? length - start : step;
        if (mode == TileMode::Horizontal)
            rects.emplace_back(area.left(), area.top() + start, area.width(), size);
        else
            rects.emplace_back(area.left() + start, area.top(), size, area.height());
    }
    return rects;
}

}  // namespace calvix
