// Tiling geometry.
#include "gui/MdiTiling.h"

#include <algorithm>

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

std::vector<QRect> CascadeRects(const QRect& area, int count, int step) {
    std::vector<QRect> rects;
    if (count <= 0 || area.isEmpty()) return rects;
    step = std::max(step, 1);
    const QSize half = area.size() / 2;
    const QSize size(std::max(area.width() - (count - 1) * step, half.width()),
                     std::max(area.height() - (count - 1) * step, half.height()));
    const int fit = 1 + std::min((area.width() - size.width()) / step, (area.height() - size.height()) / step);
    for (int i = 0; i < count; ++i) {
        const int offset = (i % fit) * step;
        rects.emplace_back(area.topLeft() + QPoint(offset, offset), size);
    }
    return rects;
}

}  // namespace calvix
