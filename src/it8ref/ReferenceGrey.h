// The 24 reference greys (RGB on a 0-255 scale) that the grey-scale correction aims at:
// the process-wide ReferenceGreyTable, its built-in defaults and the two XYZ-to-RGB matrices.
#pragma once

#include <array>

namespace calvix {

using GreyRgb = std::array<float, 3>;
using GreyTable = std::array<GreyRgb, 24>;
using ColourMatrix = std::array<std::array<float, 3>, 3>;

// In force while no reference file is in use.
inline constexpr GreyTable DefaultReferenceGrey{{
    {226.84f, 230.05f, 233.72f}, {216.11f, 218.12f, 216.40f}, {204.96f, 205.61f, 205.43f},
    {194.19f, 194.76f, 192.67f}, {182.04f, 183.50f, 182.72f}, {171.66f, 172.95f, 171.39f},
    {159.88f, 162.27f, 161.23f}, {148.96f, 151.85f, 150.12f}, {139.84f, 141.56f, 140.28f},
    {128.83f, 131.05f, 129.63f}, {118.52f, 120.75f, 119.37f}, {108.06f, 110.45f, 109.20f},
    {98.38f, 100.95f, 99.34f},   {88.04f, 91.12f, 90.01f},    {79.32f, 81.44f, 80.57f},
    {70.51f, 72.52f, 71.53f},    {61.01f, 63.33f, 61.95f},    {52.10f, 55.08f, 53.81f},
    {44.66f, 46.18f, 44.29f},    {35.78f, 37.85f, 36.98f},    {27.65f, 29.90f, 28.64f},
    {23.75f, 26.06f, 24.81f},    {20.19f, 21.95f, 21.04f},    {8.93f, 8.62f, 9.84f},
}};

// Rows give R, G, B; columns multiply X, Y, Z.
inline constexpr ColourMatrix PlainMatrix{{
    {3.2410f, -1.5374f, -0.4986f},
    {-0.9692f, 1.8760f, 0.0416f},
    {0.0556f, -0.2040f, 1.0570f},
}};

inline constexpr ColourMatrix AdaptedMatrix{{
    {3.2000f, -1.7221f, -0.4403f},
    {-0.9654f, 1.9380f, -0.0086f},
    {0.0535f, 0.2019f, 1.4001f},
}};

// GS0 (index 0) to GS23; dark entries may be negative, nothing clamps them at the bottom.
extern GreyTable ReferenceGreyTable;

void ResetReferenceGrey();
// Index outside 0-23 is ignored.
void SetReferenceGrey(int index, float r, float g, float b);

// One grey's XYZ (0-100 scale) to its reference RGB (0-255 scale) with the given matrix and
// gamma; the step UpdateReferenceGrey applies to every grey patch.
GreyRgb ConvertGrey(const float xyz[3], const ColourMatrix& matrix, double gamma);

}  // namespace calvix
