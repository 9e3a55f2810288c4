// The batched inverses of the box map. Cloned for AVX2 without FMA, so that a lane computes what
// the scalar code does, operation for operation, and every machine finds the same regions.
#include "BoxMap.h"

#include <cstring>

namespace calvix::chart {

namespace {

typedef double Doubles __attribute__((vector_size(32)));
constexpr int kLanes = 4;

// abs and std::clamp(a, 0, 1) as selects: the same values, and no branch in a lane. Macros, as
// a function returning a vector would change its ABI with the clone's target.
#define CALVIX_ABS(a) ((a) < 0.0 ? -(a) : (a))
#define CALVIX_CLAMP01(a) ((a) < 0.0 ? 0.0 : (1.0 < (a) ? 1.0 : (a)))

// The terms of BoxMap::Inverse that do not depend on the point.
struct Terms {
    Vec a, e, f, g;
    double k2, ef;
};

// The linear case of BoxMap::Inverse for lanes of points (x0 + i, y); state 1 where it holds and
// has a preimage, 0 where it holds without one, 2 where the point needs the quadratic.
__attribute__((target_clones("avx2", "default"))) void LinearLanes(const Terms& t, double y, int x0, int n, double* __restrict u,
                                                                    double* __restrict v, std::uint8_t* __restrict state) {
    const double hy = y - t.a.y;
    const double k2 = std::abs(t.k2);
    for (int i = 0; i + kLanes <= n; i += kLanes) {
        const Doubles px{static_cast<double>(x0 + i), static_cast<double>(x0 + i + 1), static_cast<double>(x0 + i + 2),
                         static_cast<double>(x0 + i + 3)};
        const Doubles hx = px - t.a.x;
        const Doubles k1 = t.ef + (hx * t.g.y - hy * t.g.x);
        const Doubles k0 = hx * t.e.y - hy * t.e.x;
        const Doubles k1Abs = CALVIX_ABS(k1);
        const auto linear = k2 < 1e-9 * (1.0 < k1Abs ? k1Abs : 1.0);
        const Doubles vv = -k0 / k1;
        const Doubles dx = t.e.x + t.g.x * vv;
        const Doubles dy = t.e.y + t.g.y * vv;
        const auto alongX = CALVIX_ABS(dx) >= CALVIX_ABS(dy);
        // The quotient of the side SolveU takes: its operands chosen first, one division.
        const Doubles uu = (alongX ? hx - t.f.x * vv : hy - t.f.y * vv) / (alongX ? dx : dy);
        const auto found = (k1 != 0.0) & ~(alongX & (dx == 0.0));
        std::memcpy(u + i, &uu, sizeof uu);
        std::memcpy(v + i, &vv, sizeof vv);
        for (int l = 0; l < kLanes; ++l) state[i + l] = linear[l] == 0 ? 2 : found[l] != 0 ? 1 : 0;
    }
}

__attribute__((target_clones("avx2", "default"))) void Frames(const double* __restrict u, const double* __restrict v, int n,
                                                               const double size[4], double* __restrict width,
                                                               double* __restrict height, double* __restrict cellWidth,
                                                               double* __restrict cellHeight) {
    const double widthDelta = size[1] - size[0];
    const double heightDelta = size[3] - size[2];
    int i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        Doubles uu, vv;
        std::memcpy(&uu, u + i, sizeof uu);
        std::memcpy(&vv, v + i, sizeof vv);
        const Doubles w = size[0] + widthDelta * CALVIX_CLAMP01(vv);
        const Doubles h = size[2] + heightDelta * CALVIX_CLAMP01(uu);
        const Doubles cw = w / static_cast<double>(RasterColumnCount);
        const Doubles ch = h / static_cast<double>(RasterRowCount);
        std::memcpy(width + i, &w, sizeof w);
        std::memcpy(height + i, &h, sizeof h);
        std::memcpy(cellWidth + i, &cw, sizeof cw);
        std::memcpy(cellHeight + i, &ch, sizeof ch);
    }
}

__attribute__((target_clones("avx2", "default"))) void InverseOfPoints(const double* __restrict x, const double* __restrict y, int n,
                                                                        Vec a, Vec e, Vec f, double* __restrict u, double* __restrict v) {
    const double d = Cross(e, f);
    for (int i = 0; i < n; ++i) {
        const double hx = x[i] - a.x, hy = y[i] - a.y;
        u[i] = (hx * f.y - hy * f.x) / d;
        v[i] = (e.x * hy - e.y * hx) / d;
    }
}

#undef CALVIX_ABS
#undef CALVIX_CLAMP01

}  // namespace

void BoxMap::AffineInverse(const double* x, const double* y, int n, double* u, double* v) const {
    InverseOfPoints(x, y, n, a_, e_, f_, u, v);
}

void BoxMap::InverseOfRow(double y, int x0, int n, RowInverse& out) const {
    const std::size_t size = static_cast<std::size_t>(std::max(n, 0));
    for (std::vector<double>* a : {&out.u, &out.v, &out.width, &out.height, &out.cellWidth, &out.cellHeight}) a->resize(size);
    out.ok.resize(size);
    const Terms terms{a_, e_, f_, g_, Cross(g_, f_), Cross(e_, f_)};
    LinearLanes(terms, y, x0, n, out.u.data(), out.v.data(), out.ok.data());
    const double extent[4] = {widthTop_, widthBottom_, heightLeft_, heightRight_};
    Frames(out.u.data(), out.v.data(), n, extent, out.width.data(), out.height.data(), out.cellWidth.data(), out.cellHeight.data());
    // The lanes' leftovers and the points that need the quadratic, one at a time.
    for (int i = 0; i < n; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        if (i < n - n % kLanes && out.ok[k] != 2) continue;
        out.ok[k] = Inverse(Vec{static_cast<double>(x0 + i), y}, out.u[k], out.v[k]) ? 1 : 0;
        const BoxFrame frame = FrameAt(*this, out.u[k], out.v[k]);
        out.width[k] = frame.width, out.height[k] = frame.height, out.cellWidth[k] = frame.cellWidth, out.cellHeight[k] = frame.cellHeight;
    }
}

}  // namespace calvix::chart
