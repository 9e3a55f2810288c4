// The shaper is a monotone cubic through the grey steps (Fritsch and Carlson's tangents, so it
// never overshoots between two steps); below the darkest and above the lightest step it runs on
// straight along the nearest segment, since a table may be asked for values the wedge never had.
#include "profiling/ToneShaper.h"

#include <algorithm>
#include <cmath>

namespace calvix {

namespace {

// Steps closer than this in device value are one step: two greys the scanner cannot tell apart
// say nothing about the slope between them.
constexpr double MergeDistance = 0.25;

struct Knot {
    double x;
    double y;
    double weight;
};

// Pool-adjacent-violators: the closest non-decreasing sequence, so a noisy step never makes the
// curve fall.
void MakeNonDecreasing(std::vector<Knot>& knots) {
    std::vector<Knot> pooled;
    for (const Knot& k : knots) {
        pooled.push_back(k);
        while (pooled.size() > 1 && pooled[pooled.size() - 2].y > pooled.back().y) {
            Knot last = pooled.back();
            pooled.pop_back();
            Knot& before = pooled.back();
            const double w = before.weight + last.weight;
            before.x = (before.x * before.weight + last.x * last.weight) / w;
            before.y = (before.y * before.weight + last.y * last.weight) / w;
            before.weight = w;
        }
    }
    knots = std::move(pooled);
}

}  // namespace

bool ToneShaper::Fit(std::vector<std::pair<double, double>> points) {
    x_.clear();
    y_.clear();
    tangent_.clear();
    std::sort(points.begin(), points.end());
    std::vector<Knot> knots;
    for (const auto& [x, y] : points) {
        if (!std::isfinite(x) || !std::isfinite(y)) continue;
        if (!knots.empty() && x - knots.back().x < MergeDistance) {
            Knot& k = knots.back();
            k.y = (k.y * k.weight + y) / (k.weight + 1.0);
            k.x = (k.x * k.weight + x) / (k.weight + 1.0);
            k.weight += 1.0;
            continue;
        }
        knots.push_back({x, y, 1.0});
    }
    MakeNonDecreasing(knots);
    if (knots.size() < 2) return false;

    // Straight ends: down to device 0 (never below 0) and up to 255.
    const Knot first = knots.front(), second = knots[1];
    const double lowSlope = (second.y - first.y) / (second.x - first.x);
    if (first.x > 0.0) knots.insert(knots.begin(), {0.0, std::max(0.0, first.y - lowSlope * first.x), 1.0});
    const Knot last = knots.back(), beforeLast = knots[knots.size() - 2];
    const double highSlope = (last.y - beforeLast.y) / (last.x - beforeLast.x);
    if (last.x < 255.0) knots.push_back({255.0, last.y + highSlope * (255.0 - last.x), 1.0});
    const double top = knots.back().y;
    if (!(top > 0.0)) return false;

    for (const Knot& k : knots) {
        x_.push_back(k.x);
        y_.push_back(k.y / top);
    }
    const std::size_t n = x_.size();
    std::vector<double> secant(n - 1);
    for (std::size_t i = 0; i + 1 < n; ++i) secant[i] = (y_[i + 1] - y_[i]) / (x_[i + 1] - x_[i]);
    tangent_.assign(n, 0.0);
    tangent_[0] = secant[0];
    tangent_[n - 1] = secant[n - 2];
    for (std::size_t i = 1; i + 1 < n; ++i)
        tangent_[i] = secant[i - 1] * secant[i] <= 0.0 ? 0.0 : (secant[i - 1] + secant[i]) / 2.0;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        if (secant[i] == 0.0) {
            tangent_[i] = tangent_[i + 1] = 0.0;
            continue;
        }
        const double a = tangent_[i] / secant[i], b = tangent_[i + 1] / secant[i];
        const double r = a * a + b * b;
        if (r > 9.0) {
            const double t = 3.0 / std::sqrt(r);
            tangent_[i] = t * a * secant[i];
            tangent_[i + 1] = t * b * secant[i];
        }
    }
    return true;
}

double ToneShaper::Linear(double device) const {
    if (x_.empty()) return 0.0;
    device = std::clamp(device, 0.0, 255.0);
    const auto upper = std::upper_bound(x_.begin(), x_.end(), device);
    const std::size_t i = upper == x_.begin() ? 0 : std::min<std::size_t>(upper - x_.begin() - 1, x_.size() - 2);
    const double h = x_[i + 1] - x_[i];
    const double t = (device - x_[i]) / h;
    const double t2 = t * t, t3 = t2 * t;
    const double value = (2 * t3 - 3 * t2 + 1) * y_[i] + (t3 - 2 * t2 + t) * h * tangent_[i] +
                         (-2 * t3 + 3 * t2) * y_[i + 1] + (t3 - t2) * h * tangent_[i + 1];
    return std::clamp(value, 0.0, 1.0);
}

std::vector<unsigned short> ToneShaper::Table(int size) const {
    std::vector<unsigned short> table(static_cast<std::size_t>(std::max(size, 2)));
    const double last = static_cast<double>(table.size() - 1);
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<unsigned short>(std::lround(65535.0 * Linear(255.0 * static_cast<double>(i) / last)));
    return table;
}

}  // namespace calvix
