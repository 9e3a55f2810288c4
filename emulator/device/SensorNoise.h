// The emulated sensor's noise: a fixed Gaussian sigma in raw units and, optionally, a photon term
// whose variance grows with the raw level. Deterministic for a seed, the same everywhere.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace calvix {

// splitmix64: small, fast and the same everywhere, so a seed always gives the same scan.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

private:
    std::uint64_t state_;
};

// Normal samples drawn once per render and indexed by 16-bit slices of one draw per pixel.
class SensorNoise {
public:
    SensorNoise(double sigma, double shotNoise, Random& random);

    bool Empty() const { return fixed_.empty() && unit_.empty(); }

    // The tables by plain pointers, to be held in a local: a per-pixel loop writes bytes, which
    // may alias anything, so a member would be reloaded for every pixel.
    struct Draw {
        const int* fixed;
        const float* unit;
        const float* sigmaAt;
        // The raw value of channel c with its noise, from the pixel's draw.
        int Apply(int raw, int c, std::uint64_t bits) const {
            const std::size_t index = static_cast<std::size_t>((bits >> (16 * c)) & 0xFFFF);
            if (fixed != nullptr) return raw + fixed[index];
            const int level = raw < 0 ? 0 : raw > 1023 ? 1023 : raw;
            return raw + static_cast<int>(std::lround(unit[index] * sigmaAt[level]));
        }
    };
    Draw Sampler() const {
        return {fixed_.empty() ? nullptr : fixed_.data(), unit_.empty() ? nullptr : unit_.data(), sigmaAt_.data()};
    }

private:
    std::vector<int> fixed_;   // without shot noise: samples of the fixed sigma, rounded
    std::vector<float> unit_;  // with it: unit samples, scaled by the sigma of the level
    std::array<float, 1024> sigmaAt_{};
};

}  // namespace calvix
