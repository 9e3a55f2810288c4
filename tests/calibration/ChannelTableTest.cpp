// Tests of buildChannelTable: black and white fills, segments between grey steps, skipped and
// backward steps, clamping, and a randomized check that no input writes outside the table.
#include "calibration/ChannelTable.h"

#include "WedgeFixtures.h"
#include "calibration/ReferenceColours.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <ostream>
#include <random>

namespace calvix {
namespace {

using test::DefaultGreys;
using test::GreyWedge;
using test::Uniform;

ChannelTable Build(const GreyColours& measured, const GreyColours& reference, double scale,
                   ColourChannel channel = ColourChannel::Red) {
    ChannelTable table{};
    table.fill(0xA5);
    EXPECT_EQ(buildChannelTable(table, measured, reference, channel, scale), 0);
    return table;
}

// GS23 at 10, GS22 at 20, all lighter steps equal to GS22.
GreyColours OneSegmentMeasured() {
    return GreyWedge([](int k) { return k == 23 ? 10 : 20; });
}

TEST(ChannelTable, OneSegmentBetweenBlackAndWhiteFills) {
    const GreyColours reference = GreyWedge([](int k) { return k == 23 ? 0 : (k == 22 ? 40 : 250); });
    const ChannelTable table = Build(OneSegmentMeasured(), reference, 1.0);
    // Slope 40 / 10 per 8-bit step, a quarter of it per entry: entry 40 + l holds l.
    for (int i = 0; i < 40; ++i) EXPECT_EQ(table[i], 0) << i;
    for (int l = 0; l < 40; ++l) EXPECT_EQ(table[40 + l], l) << 40 + l;
    for (int i = 80; i < ChannelTableEntries; ++i) EXPECT_EQ(table[i], 255) << i;
}

TEST(ChannelTable, EachChannelReadsItsOwnByte) {
    GreyColours measured{};
    for (int k = 0; k < GreyWedgeSteps; ++k) measured[k] = MakeColour(k == 23 ? 10 : 20, 0, 255);
    const GreyColours reference = GreyWedge([](int k) { return k == 23 ? 0 : 40; });
    EXPECT_EQ(Build(measured, reference, 1.0, ColourChannel::Red)[45], 5);
    // Green measured 0 everywhere: one step at index 0, white from there.
    EXPECT_EQ(Build(measured, reference, 1.0, ColourChannel::Green)[0], 255);
    // Blue measured 255 everywhere: black up to 1020, white after.
    const ChannelTable blue = Build(measured, reference, 1.0, ColourChannel::Blue);
    EXPECT_EQ(blue[1019], 0);
    EXPECT_EQ(blue[1020], 255);
}

struct StepCase {
    const char* name;
    std::function<int(int)> measured;  // strictly falling from GS0 to GS23
};

void PrintTo(const StepCase& c, std::ostream* out) { *out << c.name; }

class ExactSteps : public ::testing::TestWithParam<StepCase> {};

TEST_P(ExactSteps, SliderZeroMapsEveryStepOntoItsReference) {
    const GreyColours measured = GreyWedge(GetParam().measured);
    const GreyColours reference = ReferenceColoursOf(DefaultGreys());
    for (ColourChannel channel : AllChannels) {
        const ChannelTable table = Build(measured, reference, 1.0, channel);
        for (int k = 0; k < GreyWedgeSteps; ++k) {
            const int m = ChannelOf(measured[k], channel);
            EXPECT_EQ(table[4 * m], ChannelOf(reference[k], channel)) << "GS" << k;
        }
        for (int i = 1; i < ChannelTableEntries; ++i) ASSERT_GE(table[i], table[i - 1]) << "entry " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Wedges, ExactSteps,
                         ::testing::Values(StepCase{"even", [](int k) { return 240 - 10 * k; }},
                                           StepCase{"darkFloor", [](int k) { return 23 - k; }},
                                           StepCase{"fullRange", [](int k) { return k == 0 ? 255 : 230 - 10 * k; }},
                                           StepCase{"compressed", [](int k) { return 200 - (k * k) / 4 - k; }}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ChannelTable, WhiteScaleStretchesTheStepPositions) {
    const GreyColours measured = GreyWedge([](int k) { return 204 - 8 * k; });
    const GreyColours reference = ReferenceColoursOf(DefaultGreys());
    const double scale = 1.2;
    const ChannelTable table = Build(measured, reference, scale);
    for (int k = 0; k < GreyWedgeSteps; ++k) {
        const int index = 4 * static_cast<int>(RedOf(measured[k]) * scale);
        EXPECT_EQ(table[index], RedOf(reference[k])) << "GS" << k << " at " << index;
    }
    EXPECT_EQ(table[4 * 244 - 1], 253);
    EXPECT_EQ(table[4 * 244], 255);
}

TEST(ChannelTable, EqualNeighboursStartOnlyOneSegment) {
    // GS23, GS22 and GS21 measured equal: the segment runs from GS23 straight to GS20, so the
    // references of GS22 and GS21 cannot show in the table.
    const GreyColours measured = GreyWedge([](int k) { return k >= 21 ? 30 : 60 + (20 - k); });
    GreyColours reference = ReferenceColoursOf(DefaultGreys());
    const ChannelTable first = Build(measured, reference, 1.0);
    reference[22] = MakeColour(200, 200, 200);
    reference[21] = MakeColour(3, 3, 3);
    const ChannelTable second = Build(measured, reference, 1.0);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first[120], RedOf(reference[23]));
    EXPECT_EQ(first[240], RedOf(reference[20]));
}

struct FlatCase {
    int value;
    double scale;
    int whiteFrom;
};

TEST(ChannelTable, AllStepsEqualGiveBlackThenWhite) {
    const FlatCase cases[] = {{77, 1.0, 308}, {77, 1.5, 460}, {0, 1.0, 0}, {255, 1.0, 1020}, {200, 2.0, 1024}};
    for (const FlatCase& c : cases) {
        const ChannelTable table =
            Build(Uniform(MakeColour(c.value, c.value, c.value)), ReferenceColoursOf(DefaultGreys()), c.scale);
        for (int i = 0; i < ChannelTableEntries; ++i)
            ASSERT_EQ(table[i], i < c.whiteFrom ? 0 : 255) << "value " << c.value << " entry " << i;
    }
}

TEST(ChannelTable, StepDarkerThanItsDarkerNeighbourWritesNothing) {
    // GS23 50, GS22 40 (darker), GS21 and lighter 60.
    const GreyColours measured = GreyWedge([](int k) { return k == 23 ? 50 : (k == 22 ? 40 : 60); });
    const GreyColours reference = GreyWedge([](int k) { return k == 23 ? 0 : (k == 22 ? 100 : 200); });
    const ChannelTable table = Build(measured, reference, 1.0);
    for (int i = 0; i < 200; ++i) ASSERT_EQ(table[i], 0) << i;
    // The next segment starts from GS22's values at the current position: 100 + 1.25 per entry.
    const int expected[] = {100, 101, 102, 103, 105, 106, 107, 108, 110};
    for (int l = 0; l < 9; ++l) EXPECT_EQ(table[200 + l], expected[l]) << 200 + l;
    EXPECT_EQ(table[239], 148);
    for (int i = 240; i < ChannelTableEntries; ++i) ASSERT_EQ(table[i], 255) << i;
}

TEST(ChannelTable, SegmentReachingPastTheEndStopsThere) {
    const GreyColours measured = GreyWedge([](int k) { return k == 23 ? 100 : 200; });
    const GreyColours reference = GreyWedge([](int k) { return k == 23 ? 0 : 255; });
    const ChannelTable table = Build(measured, reference, 2.0);
    EXPECT_EQ(table[799], 0);
    EXPECT_EQ(table[800], 0);
    // 255 / 200 per 8-bit step: entry 800 + l holds 255 * l / 800.
    EXPECT_EQ(table[1023], 71);
}

TEST(ChannelTable, OvershootBetweenStretchedStepsIsHeldAtTheScaleEnds) {
    // With scale 1.5 the steps 11 and 12 land 2 positions apart although they differ by 1.5,
    // so the segment runs past its end value.
    const GreyColours measured = GreyWedge([](int k) { return k == 23 ? 11 : 12; });
    const ChannelTable rising = Build(measured, GreyWedge([](int k) { return k == 23 ? 0 : 255; }), 1.5);
    EXPECT_EQ(rising[64 + 6], 255);
    EXPECT_EQ(rising[64 + 7], 255) << "297.5 is held at 255, not wrapped";
    const ChannelTable falling = Build(measured, GreyWedge([](int k) { return k == 23 ? 255 : 0; }), 1.5);
    EXPECT_EQ(falling[64], 255);
    EXPECT_EQ(falling[64 + 7], 0) << "-42.5 is held at 0, not wrapped";
}

TEST(ChannelTable, ScaleThatIsNoPositiveNumberActsAsNoAdaption) {
    const GreyColours measured = GreyWedge([](int k) { return 230 - 9 * k; });
    const GreyColours reference = ReferenceColoursOf(DefaultGreys());
    const ChannelTable plain = Build(measured, reference, 1.0);
    const double odd[] = {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity()};
    for (double scale : odd) EXPECT_EQ(Build(measured, reference, scale), plain) << scale;
}

TEST(ChannelTable, HugeOrTinyScaleStaysDefined) {
    const GreyColours measured = GreyWedge([](int k) { return 230 - 9 * k; });
    const GreyColours reference = ReferenceColoursOf(DefaultGreys());
    const ChannelTable huge = Build(measured, reference, 1e300);
    for (int i = 0; i < ChannelTableEntries; ++i) ASSERT_EQ(huge[i], 0) << i;
    const ChannelTable tiny = Build(measured, reference, 1e-320);
    for (int i = 0; i < ChannelTableEntries; ++i) ASSERT_EQ(tiny[i], 255) << i;
}

// A table between guard bytes, so that a write outside it shows even where the sanitizer
// cannot see it (inside one object).
struct GuardedTable {
    std::array<std::uint8_t, 64> before;
    ChannelTable table;
    std::array<std::uint8_t, 64> after;
};

TEST(ChannelTable, RandomWedgesNeverWriteOutsideTheTable) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> small(0, 3);
    const double scales[] = {1.0, 1.25, 1.5, 1.75, 2.0, 1.0039,
                             3.7, 0.5,  0.0, -2.0, 1e9, std::numeric_limits<double>::quiet_NaN()};
    for (int run = 0; run < 20000; ++run) {
        GreyColours measured{};
        GreyColours reference{};
        // Half the runs use few distinct values, so equal and backward steps are frequent.
        const bool clustered = run % 2 == 0;
        for (int k = 0; k < GreyWedgeSteps; ++k) {
            const int r = clustered ? 60 * small(random) : byte(random);
            const int g = clustered ? 60 * small(random) : byte(random);
            measured[k] = MakeColour(r, g, byte(random));
            reference[k] = MakeColour(byte(random), byte(random), byte(random));
        }
        const double scale = scales[run % std::size(scales)];
        for (ColourChannel channel : AllChannels) {
            // Built once over zeros and once over 0xFF: equal results show that every entry is
            // written, the guards that nothing beside the table is.
            GuardedTable overZero;
            GuardedTable overOnes;
            for (GuardedTable* guarded : {&overZero, &overOnes}) {
                guarded->before.fill(0x5A);
                guarded->after.fill(0x5A);
                guarded->table.fill(guarded == &overZero ? 0x00 : 0xFF);
                ASSERT_EQ(buildChannelTable(guarded->table, measured, reference, channel, scale), 0);
                for (std::uint8_t b : guarded->before) ASSERT_EQ(b, 0x5A) << "run " << run;
                for (std::uint8_t b : guarded->after) ASSERT_EQ(b, 0x5A) << "run " << run;
            }
            ASSERT_EQ(overZero.table, overOnes.table) << "run " << run;
        }
    }
}

TEST(ChannelTable, RandomMonotoneWedgesHitEveryStepExactly) {
    std::mt19937 random(7);
    for (int run = 0; run < 2000; ++run) {
        // 24 distinct values in 0..255, the largest for GS0.
        std::array<int, 256> pool{};
        for (int v = 0; v < 256; ++v) pool[v] = v;
        std::shuffle(pool.begin(), pool.end(), random);
        std::array<int, GreyWedgeSteps> values{};
        std::copy_n(pool.begin(), GreyWedgeSteps, values.begin());
        std::sort(values.begin(), values.end(), std::greater<int>());
        const GreyColours measured = GreyWedge([&](int k) { return values[k]; });
        const GreyColours reference = ReferenceColoursOf(DefaultGreys());
        const ChannelTable table = Build(measured, reference, 1.0, ColourChannel::Green);
        for (int k = 0; k < GreyWedgeSteps; ++k)
            ASSERT_EQ(table[4 * values[k]], GreenOf(reference[k])) << "run " << run << " GS" << k;
        for (int i = 1; i < ChannelTableEntries; ++i) ASSERT_GE(table[i], table[i - 1]) << "run " << run;
    }
}

}  // namespace
}  // namespace calvix
