// The edge-based spatial frequency response (ISO 12233 slanted edge) of one straight edge a few
// degrees off the pixel grid, whole or in stretches (the row of patches along a chart's card): per
// channel the MTF curve, its 50 % and 10 % frequencies, and where the edge lies, from which
// channel misregistration follows.
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
    NoEdge,       // no edge of usable contrast in the region, or only clipped ones
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

// One stretch of an edge: the image lines along it (rows of a near-vertical edge, columns of a
// near-horizontal one), each read across over the windows' width from a start that follows the
// edge's expected course, so that a long, tilted edge needs no wide rectangle around it.
struct EdgeStretch {
    int firstLine = 0;
    int lineCount = 0;
    double windowStart = 0.0;  // across coordinate (x or y) of the window's first pixel on firstLine
    double windowSlope = 0.0;  // the start's move across per line
};

// The stretches of one straight edge. Each stretch is scaled to its own two sides before they are
// pooled, so stretches of different colours against one background make one edge profile; a
// stretch whose sides differ too little in a channel, or whose pixels clip at 0 or 255 there, is
// left out of that channel, since a clipped side shortens the edge spread and sharpens the MTF.
struct EdgeWindows {
    EdgeOrientation orientation = EdgeOrientation::NearVertical;
    int width = 0;  // pixels read across on every line
    std::vector<EdgeStretch> stretches;
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
    int stretches = 0;        // read, with lines inside the image
    int clippedStretches = 0; // left out of the luminance for a channel clipped at 0 or 255
    int usedStretches = 0;    // pooled into the luminance edge
    std::array<ChannelSfr, SfrChannelCount> channel{};
};

SlantedEdgeResult MeasureSlantedEdge(const ScanBitmap& image, const EdgeWindows& windows,
                                     const SlantedEdgeSettings& settings = {});
// One whole edge in a rectangle of the image.
SlantedEdgeResult MeasureSlantedEdge(const ScanBitmap& image, const PixelRegion& region, EdgeOrientation orientation,
                                     const SlantedEdgeSettings& settings = {});

}  // namespace calvix
