// Line rasterisation and pen stamping. A line's pixels are computed in closed form per step,
// so only the steps that can reach the image are visited: lines with end points far outside
// (a corner reported as 1 000 000) cost no more than lines inside.

#include "analysis/Drawing.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace calvix {
namespace {

struct Offset {
    int dx;
    int dy;
};

// Pixels covered by the pen around a centre pixel. An even width has its centre half a pixel
// up and left of the middle, like a wide Windows pen.
std::vector<Offset> PenStamp(const Pen& pen) {
    const int width = std::clamp(pen.width, 1, MaxPenWidth);
    const int low = -(width - 1) / 2;
    const int high = width / 2;
    const int even = (width + 1) % 2;
    std::vector<Offset> stamp;
    for (int dy = low; dy <= high; ++dy) {
        for (int dx = low; dx <= high; ++dx) {
            const int ex = 2 * dx - even;
            const int ey = 2 * dy - even;
            if (pen.tip == PenTip::Square || ex * ex + ey * ey <= width * width) {
                stamp.push_back({dx, dy});
            }
        }
    }
    return stamp;
}

int PenReach(const Pen& pen) { return std::clamp(pen.width, 1, MaxPenWidth) / 2 + 1; }

// Collects the pixels a figure covers, so an inverting pen touches each pixel exactly once.
class Painter {
public:
    Painter(ScanBitmap& image, const Pen& pen) : image_(image), pen_(pen), stamp_(PenStamp(pen)) {}

    void Stamp(std::int64_t x, std::int64_t y) {
        for (const Offset& o : stamp_) {
            const std::int64_t px = x + o.dx;
            const std::int64_t py = y + o.dy;
            if (px < 0 || py < 0 || px >= image_.Width() || py >= image_.Height()) continue;
            if (pen_.mode == PenMode::Copy) {
                image_.SetPixel(static_cast<int>(px), static_cast<int>(py), pen_.colour);
            } else {
                pending_.push_back((static_cast<std::uint64_t>(py) << 32) | static_cast<std::uint64_t>(px));
            }
        }
    }

    void Line(Point from, Point to);

    // Applies the inverting pen once per collected pixel.
    void Finish() {
        std::sort(pending_.begin(), pending_.end());
        pending_.erase(std::unique(pending_.begin(), pending_.end()), pending_.end());
        for (std::uint64_t key : pending_) {
            const int x = static_cast<int>(key & 0xFFFFFFFFu);
            const int y = static_cast<int>(key >> 32);
            image_.SetPixel(x, y, ~(image_.Pixel(x, y) ^ pen_.colour) & 0xFFFFFFu);
        }
        pending_.clear();
    }

private:
    ScanBitmap& image_;
    Pen pen_;
    std::vector<Offset> stamp_;
    std::vector<std::uint64_t> pending_;
};

// Step index range [first, last] of 0..steps for which start + sign*k lies in [low, high].
bool StepRange(std::int64_t start, int sign, std::int64_t steps, std::int64_t low, std::int64_t high,
               std::int64_t& first, std::int64_t& last) {
    std::int64_t a, b;
    if (sign > 0) {
        a = low - start;
        b = high - start;
    } else {
        a = start - high;
        b = start - low;
    }
    first = std::max<std::int64_t>(a, 0);
    last = std::min<std::int64_t>(b, steps);
    return first <= last;
}

void Painter::Line(Point from, Point to) {
    const std::int64_t dx = static_cast<std::int64_t>(to.x) - from.x;
    const std::int64_t dy = static_cast<std::int64_t>(to.y) - from.y;
    const std::int64_t adx = dx < 0 ? -dx : dx;
    const std::int64_t ady = dy < 0 ? -dy : dy;
    const int sx = dx < 0 ? -1 : 1;
    const int sy = dy < 0 ? -1 : 1;
    const bool xMajor = adx >= ady;
    const std::int64_t steps = xMajor ? adx : ady;
    const std::int64_t minor = xMajor ? ady : adx;
    const std::int64_t reach = PenReach(pen_);
    const std::int64_t majorStart = xMajor ? from.x : from.y;
    const std::int64_t minorStart = xMajor ? from.y : from.x;
    const int majorSign = xMajor ? sx : sy;
    const int minorSign = xMajor ? sy : sx;
    const std::int64_t majorLimit = xMajor ? image_.Width() : image_.Height();
    const std::int64_t minorLimit = xMajor ? image_.Height() : image_.Width();
    std::int64_t first, last;
    if (!StepRange(majorStart, majorSign, steps, -reach, majorLimit - 1 + reach, first, last)) return;
    for (std::int64_t k = first; k <= last; ++k) {
        // Minor coordinate of step k, rounded half up: the pixel nearest to the true line.
        // 128 bits because k * minor can exceed 64 bits for far-away end points.
        std::int64_t along = 0;
        if (steps > 0) {
            const __int128 numerator = static_cast<__int128>(2) * k * minor + steps;
            along = static_cast<std::int64_t>(numerator / (2 * static_cast<__int128>(steps)));
        }
        const std::int64_t m = minorStart + minorSign * along;
        if (m < -reach || m > minorLimit - 1 + reach) continue;
        const std::int64_t j = majorStart + majorSign * k;
        if (xMajor) {
            Stamp(j, m);
        } else {
            Stamp(m, j);
        }
    }
}

}  // namespace

void DrawLine(ScanBitmap& image, Point from, Point to, const Pen& pen) {
    if (image.Empty()) return;
    Painter painter(image, pen);
    painter.Line(from, to);
    painter.Finish();
}

void DrawPolygon(ScanBitmap& image, std::span<const Point> vertices, const Pen& pen) {
    if (image.Empty() || vertices.empty()) return;
    Painter painter(image, pen);
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        painter.Line(vertices[i], vertices[(i + 1) % vertices.size()]);
    }
    painter.Finish();
}

void FillRect(ScanBitmap& image, int left, int top, int right, int bottom, PackedColour colour) {
    const int x0 = std::max(left, 0);
    const int y0 = std::max(top, 0);
    const int x1 = std::min(right, image.Width());
    const int y1 = std::min(bottom, image.Height());
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) image.SetPixel(x, y, colour);
    }
}

void DrawMarker(ScanBitmap& image, Point centre, int halfSize, const std::optional<Pen>& pen) {
    const Pen used = pen ? *pen : Pen{MakeColour(0, 0, 0), 1, PenMode::NotXor, PenTip::Round};
    const std::int64_t s = halfSize;
    auto at = [&](std::int64_t dx, std::int64_t dy) {
        return Point{static_cast<std::int32_t>(std::clamp<std::int64_t>(centre.x + dx, INT32_MIN, INT32_MAX)),
                     static_cast<std::int32_t>(std::clamp<std::int64_t>(centre.y + dy, INT32_MIN, INT32_MAX))};
    };
    if (image.Empty()) return;
    // One figure: every pixel of cross and outline is painted once, so an inverting marker
    // shows whole, centre and corners included, and a second drawing removes it.
    Painter painter(image, used);
    const Point corners[] = {at(-s, -s), at(-s, s), at(s, s), at(s, -s)};
    for (const Point& corner : corners) painter.Line(centre, corner);
    // The square is left hollow: a filled one would cover the cross, and with an inverting pen
    // a fill could not be taken back by drawing again.
    for (std::size_t i = 0; i < 4; ++i) painter.Line(corners[i], corners[(i + 1) % 4]);
    painter.Finish();
}

}  // namespace calvix
