// The audit level tables at and around every edge: FADGI limits are strict, ISO ones inclusive.
#include "quality/AuditLevels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace calvix::quality {
namespace {

TEST(AuditLevels, FadgiToneEdges) {
    const struct {
        double maxDeltaL;
        int stars;
    } cases[] = {{0.0, 4}, {1.4999, 4}, {1.5, 3}, {2.9999, 3}, {3.0, 2}, {4.4999, 2},
                 {4.5, 1}, {5.9999, 1}, {6.0, 0}, {40.0, 0}, {std::nan(""), 0}};
    for (const auto& c : cases) EXPECT_EQ(FadgiToneStars(c.maxDeltaL), c.stars) << c.maxDeltaL;
}

TEST(AuditLevels, FadgiWhiteBalanceEdges) {
    const struct {
        double maxDeltaAb;
        int stars;
    } cases[] = {{1.9999, 4}, {2.0, 3}, {3.9999, 3}, {4.0, 2}, {5.9999, 2}, {6.0, 1}, {7.9999, 1}, {8.0, 0},
                 {std::numeric_limits<double>::infinity(), 0}};
    for (const auto& c : cases) EXPECT_EQ(FadgiWhiteBalanceStars(c.maxDeltaAb), c.stars) << c.maxDeltaAb;
}

TEST(AuditLevels, IsoToneEdges) {
    const struct {
        double maxDeltaL;
        const char* level;
    } cases[] = {{0.0, "A"}, {2.0, "A"}, {2.0001, "B"}, {3.0, "B"}, {3.0001, "C"}, {4.0, "C"}, {4.0001, ""},
                 {std::nan(""), ""}};
    for (const auto& c : cases) EXPECT_EQ(IsoToneLevel(c.maxDeltaL), c.level) << c.maxDeltaL;
    EXPECT_EQ(StarsText(0), "none");
    EXPECT_EQ(StarsText(1), "1 star");
    EXPECT_EQ(StarsText(3), "3 stars");
}

}  // namespace
}  // namespace calvix::quality
