// The optics of the emulated Q71 between the chart and the sensor: colour crosstalk, blur,
// illumination fall-off, channel misregistration and the sampling rate, each off by default, and
// the signal-dependent part of the sensor noise. Values are range-checked where they are read.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace calvix {

struct Optics {
    // Row-major 3x3 matrix on linear RGB; every row sums to 1, so greys pass unchanged.
    std::array<double, 9> crosstalk{1, 0, 0, 0, 1, 0, 0, 0, 1};
    // Gaussian point-spread sigma per channel (red, green, blue), in image pixels.
    std::array<double, 3> blurSigma{};
    // Light lost at the image's corners relative to its centre, in percent, by a cos^4 law.
    double falloffPercent = 0.0;
    // Red x, red y, blue x, blue y shift against green, in pixels (positive: right, down).
    std::array<double, 4> misregister{};
    // Sampling rate as a factor of the nominal 400 ppi: 0.99 draws the page 1 % smaller.
    double scale = 1.0;
    // Photon noise: variance = shotNoise * raw level, on top of the fixed sigma.
    double shotNoise = 0.0;

    // Any of the optical stages on (shot noise belongs to the sensor, not the optics).
    bool Active() const;
};

inline constexpr double kMaxBlurSigma = 5.0;
inline constexpr double kMaxFalloffPercent = 50.0;
inline constexpr double kMaxMisregister = 3.0;
inline constexpr double kMinScale = 0.95;
inline constexpr double kMaxScale = 1.05;
inline constexpr double kMaxShotNoise = 10.0;
// Crosstalk entries stay where a real colour filter set can put them.
inline constexpr double kMinCrosstalk = -1.0;
inline constexpr double kMaxCrosstalk = 2.0;

// One optical setting by its key: crosstalk, blur, falloff, misregister, scale, shot_noise.
// Lists are comma-separated. False with a reason naming the accepted range.
bool ParseOpticsSetting(std::string_view key, std::string_view value, Optics* optics, std::string* why);

// Empty when every row of the matrix sums to 1 (within rounding of written decimals), else why not.
std::string CrosstalkFault(const std::array<double, 9>& matrix);

}  // namespace calvix
