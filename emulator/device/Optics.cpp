// Reading and checking the optical settings of the emulated Q71.
#include "Optics.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace calvix {

namespace {

// Comma-separated finite numbers, each within [low, high]; false on anything else.
bool ParseList(std::string_view text, double low, double high, std::vector<double>* out) {
    out->clear();
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        double value = 0.0;
        const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), value);
        if (item.empty() || ec != std::errc() || end != item.data() + item.size() || !std::isfinite(value) ||
            value < low || value > high || out->size() >= 9)
            return false;
        out->push_back(value);
        if (comma == std::string_view::npos) return true;
        text.remove_prefix(comma + 1);
    }
}

std::string Range(const char* what, double low, double high) {
    char text[160];
    std::snprintf(text, sizeof text, "%s, each from %g to %g", what, low, high);
    return text;
}

}  // namespace

bool Optics::Active() const {
    const Optics none;
    return crosstalk != none.crosstalk || blurSigma != none.blurSigma || falloffPercent != 0.0 ||
           misregister != none.misregister || scale != 1.0;
}

std::string CrosstalkFault(const std::array<double, 9>& matrix) {
    for (int row = 0; row < 3; ++row) {
        const double sum = matrix[3 * row] + matrix[3 * row + 1] + matrix[3 * row + 2];
        if (std::abs(sum - 1.0) > 1e-6) {
            char text[96];
            std::snprintf(text, sizeof text, "row %d sums to %g; every row must sum to 1", row + 1, sum);
            return text;
        }
    }
    return {};
}

bool ParseOpticsSetting(std::string_view key, std::string_view value, Optics* optics, std::string* why) {
    std::vector<double> v;
    if (key == "crosstalk") {
        if (!ParseList(value, kMinCrosstalk, kMaxCrosstalk, &v) || v.size() != 9) {
            *why = Range("nine numbers a,b,c,d,e,f,g,h,i (row-major)", kMinCrosstalk, kMaxCrosstalk);
            return false;
        }
        std::array<double, 9> matrix{};
        for (std::size_t i = 0; i < 9; ++i) matrix[i] = v[i];
        *why = CrosstalkFault(matrix);
        if (!why->empty()) return false;
        optics->crosstalk = matrix;
    } else if (key == "blur") {
        if (!ParseList(value, 0.0, kMaxBlurSigma, &v) || (v.size() != 1 && v.size() != 3)) {
            *why = Range("one sigma or three (R,G,B) in pixels", 0.0, kMaxBlurSigma);
            return false;
        }
        optics->blurSigma = v.size() == 1 ? std::array<double, 3>{v[0], v[0], v[0]} : std::array<double, 3>{v[0], v[1], v[2]};
    } else if (key == "misregister") {
        if (!ParseList(value, -kMaxMisregister, kMaxMisregister, &v) || v.size() != 4) {
            *why = Range("four shifts RX,RY,BX,BY in pixels", -kMaxMisregister, kMaxMisregister);
            return false;
        }
        optics->misregister = {v[0], v[1], v[2], v[3]};
    } else {
        struct Single {
            const char* key;
            double low, high;
            double Optics::*field;
            const char* what;
        };
        static constexpr Single kSingles[] = {
            {"falloff", 0.0, kMaxFalloffPercent, &Optics::falloffPercent, "percent of light lost at the corners"},
            {"scale", kMinScale, kMaxScale, &Optics::scale, "factor of the nominal 400 ppi"},
            {"shot_noise", 0.0, kMaxShotNoise, &Optics::shotNoise, "noise variance per raw level"},
        };
        for (const Single& single : kSingles) {
            if (key != single.key) continue;
            if (!ParseList(value, single.low, single.high, &v) || v.size() != 1) {
                char text[160];
                std::snprintf(text, sizeof text, "one number from %g to %g (%s)", single.low, single.high, single.what);
                *why = text;
                return false;
            }
            optics->*single.field = v[0];
            return true;
        }
        *why = "unknown optical setting " + std::string(key.substr(0, 40));
        return false;
    }
    return true;
}

}  // namespace calvix
