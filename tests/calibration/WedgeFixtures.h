// Grey-wedge inputs shared by the calibration tests: the built-in reference greys and small
// builders for measured and reference colours.
#pragma once

#include "calibration/CorrectionTypes.h"

#include <array>
#include <functional>

namespace calvix::test {

// The program's built-in reference greys (used while no reference file is loaded).
inline ReferenceGreys DefaultGreys() {
    return ReferenceGreys{{{226.84f, 230.05f, 233.72f}, {216.11f, 218.12f, 216.40f}, {204.96f, 205.61f, 205.43f},
                           {194.19f, 194.76f, 192.67f}, {182.04f, 183.50f, 182.72f}, {171.66f, 172.95f, 171.39f},
                           {159.88f, 162.27f, 161.23f}, {148.96f, 151.85f, 150.12f}, {139.84f, 141.56f, 140.28f},
                           {128.83f, 131.05f, 129.63f}, {118.52f, 120.75f, 119.37f}, {108.06f, 110.45f, 109.20f},
                           {98.38f, 100.95f, 99.34f},   {88.04f, 91.12f, 90.01f},    {79.32f, 81.44f, 80.57f},
                           {70.51f, 72.52f, 71.53f},    {61.01f, 63.33f, 61.95f},    {52.10f, 55.08f, 53.81f},
                           {44.66f, 46.18f, 44.29f},    {35.78f, 37.85f, 36.98f},    {27.65f, 29.90f, 28.64f},
                           {23.75f, 26.06f, 24.81f},    {20.19f, 21.95f, 21.04f},    {8.93f, 8.62f, 9.84f}}};
}

// The same value in all three channels of every step, from value(k).
inline GreyColours GreyWedge(const std::function<int(int)>& value) {
    GreyColours colours{};
    for (int k = 0; k < GreyWedgeSteps; ++k) colours[k] = MakeColour(value(k), value(k), value(k));
    return colours;
}

inline GreyColours Uniform(PackedColour colour) {
    GreyColours colours{};
    colours.fill(colour);
    return colours;
}

}  // namespace calvix::test
