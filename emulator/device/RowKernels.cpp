// Cloned for AVX2 where the processor has it, without FMA, so every machine rounds alike and a
// seed renders the same. The vector types are GCC's own: they keep the scalar code's operations
// and their order, and compile to SSE2 on the default clone.
#include "RowKernels.h"

#include <cstring>

namespace calvix {

namespace {

typedef float Floats __attribute__((vector_size(32)));
typedef std::int32_t Ints __attribute__((vector_size(32)));
constexpr int kLanes = 8;
constexpr float kLastIndex = kLinearSteps - 1;

// The scalar form of one value, for a row's last few columns.
std::int32_t IndexOf(float v) {
    float t = v > 0.0f ? v : 0.0f;
    t = t < 1.0f ? t : 1.0f;
    return static_cast<std::int32_t>(t * kLastIndex + 0.5f);
}

}  // namespace

// Eight outputs at a time, all taps summed in a register; the last eight overlap the ones
// before where n is no multiple of eight, which recomputes them to the same values.
__attribute__((target_clones("avx2", "default"))) void ConvolveSpan(float* out, const float* const* rows, const float* weight,
                                                                     int taps, int n) {
    if (n < kLanes) {
        for (int x = 0; x < n; ++x) {
            float sum = 0.0f;
            for (int t = 0; t < taps; ++t) sum += weight[t] * rows[t][x];
            out[x] = sum;
        }
        return;
    }
    for (int x = 0;; x += kLanes) {
        if (x > n - kLanes) x = n - kLanes;
        Floats sum{};
        for (int t = 0; t < taps; ++t) {
            Floats source;
            std::memcpy(&source, rows[t] + x, sizeof source);
            sum += weight[t] * source;
        }
        std::memcpy(out + x, &sum, sizeof sum);
        if (x == n - kLanes) return;
    }
}

__attribute__((target_clones("avx2", "default"))) void LightAndIndices(float* v, const float* partX, float partY,
                                                                        std::int32_t* index, int n) {
    const Floats zero{};
    const Floats one = zero + 1.0f;
    int x = 0;
    for (; x + kLanes <= n; x += kLanes) {
        Floats a, px;
        std::memcpy(&a, v + x, sizeof a);
        if (partX != nullptr) {
            std::memcpy(&px, partX + x, sizeof px);
            const Floats sum = (one + px) + partY;
            a = a / (sum * sum);
            std::memcpy(v + x, &a, sizeof a);
        }
        Floats t = a > zero ? a : zero;
        t = t < one ? t : one;
        const Ints i = __builtin_convertvector(t * kLastIndex + 0.5f, Ints);
        std::memcpy(index + x, &i, sizeof i);
    }
    for (; x < n; ++x) {
        if (partX != nullptr) {
            const float sum = 1.0f + partX[x] + partY;
            v[x] /= sum * sum;
        }
        index[x] = IndexOf(v[x]);
    }
}

bool MarkChangedBlocks(const float* a, const float* b, int width, std::uint8_t* changed) {
    bool any = false;
    int x = 0;
    std::uint8_t* mark = changed;
    for (; x + kColumnBlock <= width; x += kColumnBlock, ++mark) {
        *mark = std::memcmp(a + x, b + x, sizeof(float) * kColumnBlock) != 0;
        any = any || *mark != 0;
    }
    if (x < width) {
        *mark = std::memcmp(a + x, b + x, sizeof(float) * static_cast<std::size_t>(width - x)) != 0;
        any = any || *mark != 0;
    }
    return any;
}

}  // namespace calvix
