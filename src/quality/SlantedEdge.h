// The edge-based spatial frequency response (ISO 12233 slanted edge) of one image region holding
// one straight edge a few degrees off the pixel grid: per channel the MTF curve, its 50 % and 10 %
// frequencies, and where the edge lies, from which channel misregistration follows.
#pragma once

#include "analysis/ScanBitmap.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace calvix {

enum class EdgeOrientation { NearVertical, NearHorizontal };

enum class EdgeStatus {
    Measured,
    TooStraight,  // the edge's phase moves too little across the region for the oversampling
    TooSteep,     // the edge leans further than a row-by-row edge location serves
    BadRegion,    // the region leaves the image, is too small, or has too little on one side
    NoEdge,       // no edge of usable contrast in the region
};

const char* EdgeStatusText(EdgeStatus status);

enum SfrChannel : int { SfrRed = 0, SfrGreen = 1, SfrBlue = 2, SfrLuminance = 3 };
inline constexpr int SfrChannelCount = 4;

struct PixelRegion {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Linear light (0..1) of every 8-bit value, for red, green and blue: the method needs the edge
// profile in light, not in the encoded values a scan holds.
using ChannelLinearisation = std::array<std::array<float, 256>, 3>;
const ChannelLinearisation& SrgbLinearisation();

struct MtfSample {
    double frequency = 0.0;  // cycles per pixel
    double modulation = 0.0;
};

struct ChannelSfr {
    // The fitted edge against the pixel column (near-vertical) or row (near-horizontal); positive
    // when the edge moves to larger x (or y) further down (or right).
    double angleDegrees = 0.0;
    double slope = 0.0;  // the same as pixels across per pixel along
    // Across-edge image coordinate (x for a near-vertical edge, y for a near-horizontal one) of
    // the fitted edge at the middle of the region along the edge; pixel centres are whole numbers.
    double position = 0.0;
    std::optional<double> mtf50;  // cycles per pixel; empty when the curve stays above the level
    std::optional<double> mtf10;
    std::vector<MtfSample> mtf;   // from 0 to the settings' top frequency, normalised at 0
};

struct SlantedEdgeSettings {
    const ChannelLinearisation* linearisation = nullptr;  // none: the scan is taken as sRGB
    // Half the edge-spread range across the edge, in pixels: the Hamming window spans it, and a
    // narrower window starts to sharpen a blurred edge's MTF measurably.
    int maxHalfWidth = 32;
    // Pixels the edge must move across over the region's length: the 4x oversampling needs a
    // pixel of phase to fill every bin.
    double minPhaseShift = 1.0;
    double maxAngleDegrees = 10.0;
    double maxFrequency = 1.0;  // cycles per pixel, top of the reported curve
};

struct SlantedEdgeResult {
    EdgeStatus status = EdgeStatus::BadRegion;
    std::string message;      // why there is no figure; empty when measured
    double phaseShift = 0.0;  // pixels the luminance edge moves across over the region
    int halfWidth = 0;        // of the edge-spread range used, in pixels
    std::array<ChannelSfr, SfrChannelCount> channel{};
};

SlantedEdgeResult MeasureSlantedEdge(const ScanBitmap& image, const PixelRegion& region, EdgeOrientation orientation,
                                     const SlantedEdgeSettings& settings = {});

}  // namespace calvix
