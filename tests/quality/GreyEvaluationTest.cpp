// The grey wedge's pass rule and the reference encoding run backwards.
#include "quality/GreyEvaluation.h"

#include "calibration/ReferenceColours.h"
#include "it8ref/It8Ref.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace calvix::quality {
namespace {

GreyColours Reference() { return ReferenceColoursOf(DefaultReferenceGrey); }

// measured = reference + the given change per patch (red, green, blue).
GreyColours Shifted(const std::vector<std::pair<int, std::array<int, 3>>>& changes) {
    GreyColours measured = Reference();
    for (const auto& [patch, d] : changes) {
        const PackedColour c = measured[static_cast<std::size_t>(patch)];
        measured[static_cast<std::size_t>(patch)] = MakeColour(RedOf(c) + d[0], GreenOf(c) + d[1], BlueOf(c) + d[2]);
    }
    return measured;
}

TEST(GreyEvaluation, PassRuleAndTheNamedPatches) {
    const ReferenceEncoding encoding(DefaultReferenceGrey, PlainMatrix, 1.0);
    ASSERT_TRUE(encoding.Usable());
    struct Case {
        const char* name;
        std::vector<std::pair<int, std::array<int, 3>>> changes;
        bool pass;
        std::vector<std::string> outOfTolerance;
        std::vector<std::string> aboveMean;
    } cases[] = {
        {"equal", {}, true, {}, {}},
        {"one patch at the max", {{5, {3, -3, 0}}}, true, {}, {}},
        {"one patch beyond the max", {{7, {0, 4, 0}}, {3, {-5, 0, 0}}}, false, {"GS3", "GS7"}, {}},
        // 12 patches 2 levels off in red: mean 1.0 is still within the limit.
        {"mean at the limit",
         {{1, {2, 0, 0}}, {2, {2, 0, 0}}, {3, {2, 0, 0}}, {4, {2, 0, 0}}, {5, {2, 0, 0}}, {6, {2, 0, 0}},
          {7, {2, 0, 0}}, {8, {2, 0, 0}}, {9, {2, 0, 0}}, {10, {2, 0, 0}}, {11, {2, 0, 0}}, {12, {-2, 0, 0}}},
         true, {}, {}},
        {"mean above the limit",
         {{1, {0, 0, 2}}, {2, {0, 0, 2}}, {3, {0, 0, 2}}, {4, {0, 0, 2}}, {5, {0, 0, 2}}, {6, {0, 0, 2}},
          {7, {0, 0, 2}}, {8, {0, 0, 2}}, {9, {0, 0, 2}}, {10, {0, 0, 2}}, {11, {0, 0, 2}}, {12, {0, 0, 2}},
          {13, {0, 0, 3}}, {14, {0, 0, 1}}},  // GS14 exactly at the limit is not above it
         false, {}, {"GS1", "GS2", "GS3", "GS4", "GS5", "GS6", "GS7", "GS8", "GS9", "GS10", "GS11", "GS12", "GS13"}},
    };
    for (const Case& c : cases) {
        const GreyEvaluation e = EvaluateGreys(Shifted(c.changes), Reference(), encoding, GreyThresholds{});
        EXPECT_EQ(e.pass, c.pass) << c.name;
        EXPECT_EQ(e.outOfTolerance, c.outOfTolerance) << c.name;
        EXPECT_EQ(e.aboveMean, c.aboveMean) << c.name;
    }
}

TEST(GreyEvaluation, StatisticsAndLightnessDifferences) {
    const ReferenceEncoding encoding(DefaultReferenceGrey, PlainMatrix, 1.0);
    const GreyEvaluation e =
        EvaluateGreys(Shifted({{4, {2, 2, 2}}, {20, {-1, 0, 0}}}), Reference(), encoding, GreyThresholds{});
    EXPECT_DOUBLE_EQ(e.meanAbs[0], 3.0 / 24.0);
    EXPECT_DOUBLE_EQ(e.meanAbs[1], 2.0 / 24.0);
    EXPECT_EQ(e.maxAbs[0], 2);
    EXPECT_EQ(e.patches[4].difference, (std::array<int, 3>{2, 2, 2}));
    // Lighter levels are lighter in L*, a neutral shift stays (almost) neutral.
    EXPECT_GT(e.patches[4].deltaL, 0.1);
    EXPECT_LT(e.patches[4].deltaAb, 0.3);
    EXPECT_LT(e.patches[20].deltaL, 0.0);
    EXPECT_EQ(e.patches[0].deltaL, 0.0);
    EXPECT_DOUBLE_EQ(e.maxAbsDeltaL, std::max(std::fabs(e.patches[4].deltaL), std::fabs(e.patches[20].deltaL)));
}

TEST(ReferenceEncoding, DecodesTheReferenceLevelsBackToTheirGreys) {
    // GS0 at 255 and GS23 at 0 decode to the reference greys' own lightness: the end points of
    // the stretch, whatever the gamma.
    for (const double gamma : {1.0, 2.2}) {
        TIT8Ref reference;  // Y = 83 and Y = 3: L* 93.0144 and 20.0439 by the CIE formula
        std::copy_n(std::array{80.0f, 83.0f, 68.0f}.begin(), 3, reference.greyXYZ[0]);
        std::copy_n(std::array{2.9f, 3.0f, 2.5f}.begin(), 3, reference.greyXYZ[23]);
        reference.SetGamma(static_cast<float>(gamma));
        const GreyTable greys = ReferenceGreyTable;
        ResetReferenceGrey();
        const ReferenceEncoding encoding(greys, PlainMatrix, gamma);
        const Lab light = encoding.Decode({255, 255, 255});
        const Lab dark = encoding.Decode({0, 0, 0});
        EXPECT_NEAR(light.L, 93.0144, 0.01) << gamma;
        EXPECT_NEAR(dark.L, 20.0439, 0.01) << gamma;
        double previous = light.L;
        for (int level = 254; level >= 0; level -= 10) {
            const double l = encoding.Decode({level, level, level}).L;
            EXPECT_LT(l, previous) << gamma << " " << level;
            previous = l;
        }
    }
    GreyTable flat = DefaultReferenceGrey;
    flat[23] = flat[0];
    EXPECT_FALSE(ReferenceEncoding(flat, PlainMatrix, 1.0).Usable());
    EXPECT_FALSE(ReferenceEncoding(DefaultReferenceGrey, PlainMatrix, 0.0).Usable());
}

}  // namespace
}  // namespace calvix::quality
