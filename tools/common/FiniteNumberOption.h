// The command-line check the tools give their number options: a range check alone lets "nan"
// through (every comparison with it is false), and the conversion would take it.
#pragma once

#include <CLI/CLI.hpp>

#include <charconv>
#include <cmath>
#include <string>

namespace calvix {

inline const CLI::Validator FiniteNumber(
    [](std::string& input) {
        double value = 0.0;
        const char* end = input.data() + input.size();
        const auto [next, error] = std::from_chars(input.data(), end, value);
        if (error != std::errc() || next != end || !std::isfinite(value)) return "not a finite number: " + input;
        return std::string();
    },
    "FINITE");

}  // namespace calvix
