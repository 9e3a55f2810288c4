// The chart's box on the page as a bilinear patch, and the raster frame at a point of it: the
// geometry both renderers classify pixels by, one point at a time or a row of them at once.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace calvix::chart {

inline constexpr int RasterColumnCount = 24;
inline constexpr int RasterRowCount = 16;

struct Vec {
    double x;
    double y;
};

inline Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
inline Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
inline double Cross(Vec a, Vec b) { return a.x * b.y - a.y * b.x; }
inline double Length(Vec a) { return std::sqrt(a.x * a.x + a.y * a.y); }

// The box's size where a point lies, and its raster cells' size.
struct BoxFrame {
    double width, height, cellWidth, cellHeight;
};

// (u, v) and frame of each point of a row; ok is 0 where the map has no real preimage.
struct RowInverse {
    std::vector<double> u, v, width, height, cellWidth, cellHeight;
    std::vector<std::uint8_t> ok;
};

// P(u, v) = a + e*u + f*v + g*u*v with (0,0) top-left and (1,1) bottom-right at the middle of
// the line.
class BoxMap {
public:
    BoxMap(Vec topLeft, Vec topRight, Vec bottomLeft, Vec bottomRight)
        : a_(topLeft), e_(topRight - topLeft), f_(bottomLeft - topLeft),
          g_((topLeft - topRight) + (bottomRight - bottomLeft)),
          widthTop_(Length(topRight - topLeft)), widthBottom_(Length(bottomRight - bottomLeft)),
          heightLeft_(Length(bottomLeft - topLeft)), heightRight_(Length(bottomRight - topRight)) {}

    // (u, v) of a page point; false when the map has no real preimage there.
    bool Inverse(Vec p, double& u, double& v) const {
        const Vec h = p - a_;
        const double k2 = Cross(g_, f_);
        const double k1 = Cross(e_, f_) + Cross(h, g_);
        const double k0 = Cross(h, e_);
        if (std::abs(k2) < 1e-9 * std::max(1.0, std::abs(k1))) {
            if (k1 == 0.0) return false;
            v = -k0 / k1;
            return SolveU(h, v, u);
        }
        const double discriminant = k1 * k1 - 4.0 * k0 * k2;
        if (discriminant < 0.0) return false;
        const double w = std::sqrt(discriminant);
        // Of the two roots, the one nearer the box is the page's point of view.
        const double v1 = (-k1 - w) / (2.0 * k2);
        const double v2 = (-k1 + w) / (2.0 * k2);
        v = std::abs(v1 - 0.5) <= std::abs(v2 - 0.5) ? v1 : v2;
        return SolveU(h, v, u);
    }

    // Inverse and frame of the points (x0 + i, y), i < n: the same values, bit for bit, with the
    // common case (a box whose g term vanishes at the point) done in vector lanes.
    void InverseOfRow(double y, int x0, int n, RowInverse& out) const;

    // A box without distortion is a parallelogram: then (u, v) are linear in the page point,
    // which the optical path uses to classify a row at a few multiplications a pixel.
    bool Affine() const { return std::abs(g_.x) + std::abs(g_.y) < 1e-9 * (Length(e_) + Length(f_)); }
    void AffineInverse(Vec p, double& u, double& v) const {
        const Vec h = p - a_;
        const double d = Cross(e_, f_);
        u = Cross(h, f_) / d;
        v = Cross(e_, h) / d;
    }
    // The same for n points, in a loop the compiler vectorises.
    void AffineInverse(const double* x, const double* y, int n, double* u, double* v) const;

    double WidthAt(double v) const { return widthTop_ + (widthBottom_ - widthTop_) * v; }
    double HeightAt(double u) const { return heightLeft_ + (heightRight_ - heightLeft_) * u; }

private:
    bool SolveU(Vec h, double v, double& u) const {
        const double dx = e_.x + g_.x * v;
        const double dy = e_.y + g_.y * v;
        if (std::abs(dx) >= std::abs(dy)) {
            if (dx == 0.0) return false;
            u = (h.x - f_.x * v) / dx;
        } else {
            u = (h.y - f_.y * v) / dy;
        }
        return true;
    }

    Vec a_, e_, f_, g_;
    double widthTop_, widthBottom_, heightLeft_, heightRight_;
};

[[gnu::always_inline]] inline BoxFrame FrameAt(const BoxMap& box, double u, double v) {
    const double width = box.WidthAt(std::clamp(v, 0.0, 1.0));
    const double height = box.HeightAt(std::clamp(u, 0.0, 1.0));
    return {width, height, width / RasterColumnCount, height / RasterRowCount};
}

}  // namespace calvix::chart
