// Writes the ICC input profile of a scanner side: header (class scnr, RGB data, XYZ PCS, D50),
// description, copyright, media white, the measured fit (version 4 only), and either the
// shaper/matrix tags or an A2B0 table; ICC version 4.3 or, for older readers, 2.4.
#pragma once

#include "colour/IccProfile.h"
#include "profiling/ToneShaper.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace calvix {

struct ProfileIdentity {
    std::string model = "Zelmar Q71";
    std::string serial;
    std::string side;   // "front" or "rear"
    std::string date;   // ISO 8601 day of the scan
    std::string batch;  // the reference file's batch (its SERIAL or DESCRIPTOR)
};

// How well a profile reads the chart it was made from, in CIEDE2000.
struct ProfileFigures {
    int patches = 0;
    double mean = 0.0;
    double max = 0.0;
    double p90 = 0.0;
    std::string worst;
};

// The model a profile states: per-channel shapers, then the matrix to PCS XYZ relative to the
// media white (white -> D50), and optionally a grid that replaces the matrix.
struct InputProfileModel {
    std::array<ToneShaper, 3> shapers;
    Matrix3 matrix{};
    Xyz white;  // the media white, D50, 0..100
    // When not empty: gridPoints^3 PCS XYZ values (relative, 0..~1), red slowest, indexed on the
    // cube roots of the shapers' outputs; the profile then carries A2B0 = shapers, grid.
    int gridPoints = 0;
    std::vector<std::array<double, 3>> grid;
};

// The description text: model, serial, side, date and reference batch.
std::string ProfileDescriptionText(const ProfileIdentity& identity);

std::optional<IccProfile> WriteInputProfile(const InputProfileModel& model, const ProfileIdentity& identity,
                                            int iccVersion, const ProfileFigures& fit, const std::string& kind,
                                            std::string& error);

}  // namespace calvix
