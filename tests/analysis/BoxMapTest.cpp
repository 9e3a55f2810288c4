// The chart's box map: the inverse of a row of points at once against the one-point inverse it
// stands in for, bit for bit, on boxes that take its vector lanes and its quadratic fallback.
#include "BoxMap.h"

#include <gtest/gtest.h>

#include <cstring>

namespace calvix::chart {
namespace {

struct BoxCase {
    const char* name;
    Vec topLeft, topRight, bottomLeft, bottomRight;
};

void PrintTo(const BoxCase& c, std::ostream* out) { *out << c.name; }

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class RowInverseTest : public ::testing::TestWithParam<BoxCase> {};

// Rows above, through and below the box, from columns left of it to right of it; the counts
// leave every remainder of the lanes.
TEST_P(RowInverseTest, MatchesThePointInverseBitForBit) {
    const BoxCase& c = GetParam();
    const BoxMap box(c.topLeft, c.topRight, c.bottomLeft, c.bottomRight);
    RowInverse row;
    int mismatches = 0, found = 0;
    for (double y : {-40.0, 0.0, 99.0, 100.5, 333.0, 777.25, 1449.0, 1450.0, 1700.0}) {
        for (const auto& [x0, n] : {std::pair{-60, 2400}, std::pair{150, 7}, std::pair{1001, 1}, std::pair{2100, 130}}) {
            box.InverseOfRow(y, x0, n, row);
            for (int i = 0; i < n; ++i) {
                const std::size_t k = static_cast<std::size_t>(i);
                double u = 0.0, v = 0.0;
                const bool ok = box.Inverse(Vec{static_cast<double>(x0 + i), y}, u, v);
                found += ok;
                if (ok != (row.ok[k] != 0)) {
                    ++mismatches;
                    continue;
                }
                if (!ok) continue;
                const BoxFrame f = FrameAt(box, u, v);
                mismatches += !(SameBits(u, row.u[k]) && SameBits(v, row.v[k]) && SameBits(f.width, row.width[k]) &&
                                SameBits(f.height, row.height[k]) && SameBits(f.cellWidth, row.cellWidth[k]) &&
                                SameBits(f.cellHeight, row.cellHeight[k]));
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(found, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, RowInverseTest,
    ::testing::Values(BoxCase{"Upright", {165, 100}, {2165, 100}, {165, 1450}, {2165, 1450}},
                      // A rotation keeps a parallelogram: the g term is rounding only.
                      BoxCase{"RotatedByAThirdOfADegree", {170.6, 94.8}, {2170.57, 105.27}, {163.53, 1444.8}, {2163.5, 1455.27}},
                      // Steeper than 45 degrees, u comes from the y component.
                      BoxCase{"RotatedSixtyDegrees", {1500, 100}, {2500, 1832}, {331, 775}, {1331, 2507}},
                      // A moved corner makes the map bilinear: every point takes the quadratic.
                      BoxCase{"OneCornerMoved", {165, 100}, {2165, 100}, {165, 1450}, {2180, 1441}},
                      BoxCase{"AllCornersMoved", {160, 104}, {2170, 96}, {159, 1451}, {2174, 1458}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace calvix::chart
