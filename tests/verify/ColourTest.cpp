// CIEDE2000 against the published pairs of Sharma, Wu and Dalal (2005), and the conversions the
// verification's colour reading rests on.
#include "colour/ColourDifference.h"
#include "colour/ColourSpaces.h"

#include <gtest/gtest.h>

namespace calvix {
namespace {

struct De2000Pair {
    int number;
    Lab first;
    Lab second;
    double deltaE;
};

// A selection of the 34 pairs: the blue region, achromatic ones, the hue seams at 0/360 and
// 90/270 where the mean hue and hue difference change rule, large differences, near-black.
const De2000Pair kPairs[] = {
    {1, {50.0, 2.6772, -79.7751}, {50.0, 0.0, -82.7485}, 2.0425},
    {4, {50.0, -1.3802, -84.2814}, {50.0, 0.0, -82.7485}, 1.0000},
    {7, {50.0, 0.0, 0.0}, {50.0, -1.0, 2.0}, 2.3669},
    {9, {50.0, 2.4900, -0.0010}, {50.0, -2.4900, 0.0009}, 7.1792},
    {10, {50.0, 2.4900, -0.0010}, {50.0, -2.4900, 0.0010}, 7.1792},
    {11, {50.0, 2.4900, -0.0010}, {50.0, -2.4900, 0.0011}, 7.2195},
    {13, {50.0, -0.0010, 2.4900}, {50.0, 0.0009, -2.4900}, 4.8045},
    {15, {50.0, -0.0010, 2.4900}, {50.0, 0.0011, -2.4900}, 4.7461},
    {17, {50.0, 2.5, 0.0}, {73.0, 25.0, -18.0}, 27.1492},
    {19, {50.0, 2.5, 0.0}, {56.0, -27.0, -3.0}, 31.9030},
    {25, {60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
    {30, {36.4612, 47.8580, 18.3852}, {36.2715, 50.5065, 21.2231}, 1.4146},
    {33, {6.7747, -0.2908, -2.4247}, {5.8714, -0.0985, -2.2286}, 0.6377},
    {34, {2.0776, 0.0795, -1.1350}, {0.9033, -0.0636, -0.5514}, 0.9082},
    // Not published (0): b* = 0 with a* < 0 is hue 180, with a* > 0 hue 0 and not 360, which
    // decides the mean hue when the hues lie 180 apart. Worked from the formula on its own.
    {0, {50.0, 10.0, 0.0}, {50.0, -10.0, 0.0}, 26.0273},
    {0, {50.0, -10.0, 0.0}, {50.0, -10.0, 5.0}, 3.9760},
};

TEST(DeltaE2000, MatchesThePublishedPairsBothWays) {
    for (const De2000Pair& p : kPairs) {
        EXPECT_NEAR(DeltaE2000(p.first, p.second), p.deltaE, 0.00005) << "pair " << p.number;
        EXPECT_NEAR(DeltaE2000(p.second, p.first), p.deltaE, 0.00005) << "pair " << p.number << " swapped";
    }
    EXPECT_EQ(DeltaE2000({40.0, 10.0, -20.0}, {40.0, 10.0, -20.0}), 0.0);
}

TEST(DeltaE, PlainAndChromaticDistances) {
    EXPECT_DOUBLE_EQ(DeltaE76({50, 0, 0}, {53, 4, 0}), 5.0);
    // Lightness alone does not move a neutral in the a*b* plane.
    EXPECT_DOUBLE_EQ(DeltaEab({20, 1, 1}, {90, 4, 5}), 5.0);
}

TEST(ColourSpaces, LabOfKnownColours) {
    struct Case {
        Xyz xyz;
        Lab lab;
    } cases[] = {
        {WhiteD50, {100.0, 0.0, 0.0}},
        {{0.0, 0.0, 0.0}, {0.0, 0.0, 0.0}},
        // 18% grey: L* 49.496; below the linear toe (Y 0.5): L* = 903.3 * Y.
        {{0.18 * WhiteD50.X, 18.0, 0.18 * WhiteD50.Z}, {49.4961, 0.0, 0.0}},
        {{0.005 * WhiteD50.X, 0.5, 0.005 * WhiteD50.Z}, {4.5164, 0.0, 0.0}},
        // The sRGB red primary (D50-adapted XYZ, as published with the ICC sRGB profile).
        {{43.607, 22.249, 1.392}, {54.2905, 80.8049, 69.8910}},
    };
    for (const Case& c : cases) {
        const Lab lab = XyzToLab(c.xyz, WhiteD50);
        EXPECT_NEAR(lab.L, c.lab.L, 0.002);
        EXPECT_NEAR(lab.a, c.lab.a, 0.05);
        EXPECT_NEAR(lab.b, c.lab.b, 0.05);
        const Xyz back = LabToXyz(lab, WhiteD50);
        EXPECT_NEAR(back.X, c.xyz.X, 1e-9);
        EXPECT_NEAR(back.Y, c.xyz.Y, 1e-9);
        EXPECT_NEAR(back.Z, c.xyz.Z, 1e-9);
    }
}

TEST(ColourSpaces, SrgbReadAdaptedToD50) {
    // Bradford carries the D65 white onto the D50 white.
    const Xyz white = Apply(BradfordAdaptation(WhiteD65, WhiteD50), WhiteD65);
    EXPECT_NEAR(white.X, WhiteD50.X, 1e-3);
    EXPECT_NEAR(white.Y, WhiteD50.Y, 1e-3);
    EXPECT_NEAR(white.Z, WhiteD50.Z, 1e-3);
    // sRGB white and greys are neutral under D50 after adaptation; pure red lands on the
    // primary's D50 L*a*b*.
    for (int level : {255, 128, 10}) {
        const Lab grey = SrgbToLabD50(level, level, level);
        EXPECT_NEAR(grey.a, 0.0, 0.05) << level;
        EXPECT_NEAR(grey.b, 0.0, 0.05) << level;
    }
    EXPECT_NEAR(SrgbToLabD50(255, 255, 255).L, 100.0, 0.01);
    const Lab red = SrgbToLabD50(255, 0, 0);
    EXPECT_NEAR(red.L, 54.29, 0.05);
    EXPECT_NEAR(red.a, 80.80, 0.2);
    EXPECT_NEAR(red.b, 69.89, 0.2);
    // The encoding's linear toe and its power part meet at 0.04045.
    EXPECT_NEAR(SrgbToLinear(0.04045), 0.04045 / 12.92, 1e-7);
    EXPECT_NEAR(SrgbToLinear(0.5), 0.214041, 1e-6);
    Matrix3 inverse{};
    EXPECT_FALSE(Invert(Matrix3{}, inverse));
}

}  // namespace
}  // namespace calvix
