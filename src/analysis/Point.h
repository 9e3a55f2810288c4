// Point: an image pixel position (x to the right, y downward, (0, 0) the top-left pixel) as the
// chart analysis, the corner slots and the drawing code share it; (-1, -1) means not found.
#pragma once

#include <cstdint>

namespace calvix {

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;

    friend constexpr bool operator==(const Point&, const Point&) = default;
};

inline constexpr Point NotFound{-1, -1};

}  // namespace calvix
