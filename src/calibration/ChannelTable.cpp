// Piecewise-linear correction tables: black below the darkest step, one segment per change of
// the measured value from GS23 towards GS0, white above the lightest.
#include "calibration/ChannelTable.h"

#include <algorithm>

#include <cmath>

namespace calvix {

namespace {

constexpr int Darkest = GreyWedgeSteps - 1;

// Truncates toward zero after holding value inside [low, high]; not-a-number gives low.
// Converting a double outside the target range is undefined, so the clamp comes first.
int ClampTruncate(double value, int low, int high) {
    if (!(value > low)) return low;
    if (value >= high) return high;
    return static_cast<int>(value);
}

}  // namespace

int buildChannelTable(ChannelTable& table, const GreyColours& measured, const GreyColours& reference,
                      ColourChannel channel, double scale) {
    // The white adaption never gives less than 1; a scale that is not a positive number could
    // only come from a fault upstream and is read as no adaption.
    const double x = (std::isfinite(scale) && scale > 0.0) ? scale : 1.0;
    auto M = [&](int k) { return ChannelOf(measured[k], channel); };
    auto R = [&](int k) { return ChannelOf(reference[k], channel); };
    // Table index of a measured value: 4 * floor(M * x), never past the table's end, so a
    // segment that would reach beyond it stops there.
    auto indexOf = [&](int k) { return 4 * ClampTruncate(M(k) * x, 0, ChannelTableEntries / 4); };

    int i = 0;
    for (const int blackEnd = indexOf(Darkest); i < blackEnd; ++i) table[i] = 0;

    int n = Darkest;
    for (int m = Darkest - 1; m >= 0; --m) {
        // Equal neighbours: only the first of them, counted from GS23, starts a segment.
        if (M(m) == M(n)) continue;
        const double slope = static_cast<double>(R(m) - R(n)) / ((M(m) - M(n)) * x);
        // A step measured darker than the current position writes nothing here; the next
        // segment then starts from this step's values.
        const int end = indexOf(m);
        for (int l = 0; i < end; ++l, ++i)
            table[i] = static_cast<std::uint8_t>(ClampTruncate(R(n) + slope * 0.25 * l, 0, 255));
        n = m;
    }

    for (; i < ChannelTableEntries; ++i) table[i] = 255;
    return 0;
}

bool ChannelTableNonDecreasing(const ChannelTable& table) { return std::is_sorted(table.begin(), table.end()); }

ChannelTables BuildChannelTables(const GreyColours& measured, const GreyColours& reference, const WhiteScale& scale) {
    ChannelTables tables{};
    for (ColourChannel channel : AllChannels) {
        const int c = static_cast<int>(channel);
        buildChannelTable(tables[c], measured, reference, channel, scale[c]);
    }
    return tables;
}

}  // namespace calvix
