// The per-row arithmetic of the optical path, written so that the compiler vectorises it: blur
// taps over a span, the light field and table indices of a row, and which column blocks changed.
#pragma once

#include <cstdint>
#include <vector>

namespace calvix {

// A kernel's taps without its zero weights: offset j (0 .. 2 radius) and weight.
struct Taps {
    std::vector<int> offset;
    std::vector<float> weight;
};

// out[x] = sum over taps t of weight[t] * rows[t][x], for x in 0..n, summed in tap order from 0.
void ConvolveSpan(float* out, const float* const* rows, const float* weight, int taps, int n);

// Linear light 0..1 in this many steps indexes the tables of the sensor and output bytes.
inline constexpr int kLinearSteps = 1 << 16;

// v[x] /= (1 + partX[x] + partY)^2 when partX is given, then the table index (rounded) of v[x]
// clamped to 0..1.
void LightAndIndices(float* v, const float* partX, float partY, std::int32_t* index, int n);

// Columns a row's change marks are kept for at once: one mark per vector of a row.
inline constexpr int kColumnBlock = 8;
inline int ColumnBlocks(int width) { return (width + kColumnBlock - 1) / kColumnBlock; }

// changed[b] = 1 where block b of a differs from b's, else 0; a true result when any does.
bool MarkChangedBlocks(const float* a, const float* b, int width, std::uint8_t* changed);

}  // namespace calvix
