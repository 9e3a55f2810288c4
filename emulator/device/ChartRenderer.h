// The emulated Q71's view of an IT8 target: renders one side of the A5 page at 400 dpi through
// the side's sensor tone response into 10-bit raw values, then to the 8-bit scan image.
#pragma once

#include "ChartColours.h"
#include "Optics.h"
#include "analysis/Point.h"
#include "analysis/ScanBitmap.h"

#include <array>
#include <cstdint>
#include <vector>

namespace calvix {

// raw = 1023 * clamp(gain * v^gamma + offset) for an ideal encoded value v in 0..1.
struct ChannelResponse {
    double gain = 1.0;
    double offset = 0.0;
    double gamma = 1.0;
};

// One side's sensor: red, green, blue.
struct ToneResponse {
    std::array<ChannelResponse, 3> channel{};
};

using ChannelTable = std::array<std::uint8_t, 1024>;

struct RenderOptions {
    // The A5 page at 400 dpi.
    int pageWidth = 2331;
    int pageHeight = 3307;

    // The bounding box by the middle of its line, before shift, rotation and distortion. The
    // frame search needs the side lines across rows 300 to 1310 and a landscape box.
    int boxLeft = 165;
    int boxTop = 100;
    int boxWidth = 2000;
    int boxHeight = 1350;
    int lineWidth = 5;
    // Mid-grey card around the box, in pixels beyond the line.
    int surroundMargin = 60;

    int shiftX = 0;
    int shiftY = 0;
    double rotationDegrees = 0.0;  // about the box centre, clockwise on the page
    // Moves of the corners (top-left, top-right, bottom-left, bottom-right) after rotation.
    std::array<Point, 4> cornerMoves{};

    ToneResponse tone{};
    // Gaussian noise in raw units (0 = none), deterministic for a seed.
    double noiseSigma = 0.0;
    std::uint32_t seed = 1;
    int dustSpecks = 0;
    // Grey-wedge patch printed in a strong colour instead of its grey (-1 = none).
    int colouredWedgeIndex = -1;

    // With tables the raw values go through them (the scanner's LUT in force); without, the
    // scan shows raw / 4 (the LUT bypassed).
    const std::array<ChannelTable, 3>* tables = nullptr;

    // Crosstalk, blur, fall-off, misregistration, sampling scale and shot noise; all off by
    // default, and then the render is the plain one above, bit for bit.
    Optics optics{};
};

struct RenderedChart {
    ScanBitmap image;
    // Middle of the box line at each corner in the image (after the sampling scale): top-left,
    // top-right, bottom-left, bottom-right.
    std::array<std::array<double, 2>, 4> corners{};
    // Noise-free raw value (0..1023) of each grey patch: red, green, blue (after crosstalk, at
    // the full light of the image's centre).
    std::array<std::array<int, 3>, ChartGreyCount> greyRaw{};
};

RenderedChart RenderChart(const ChartColours& colours, const RenderOptions& options);

// A sheet of blank paper filling the page: paper white (or a grey sheet's encoded level) through
// the tone response, optics, noise and tables of the options (their chart geometry is not used).
ScanBitmap RenderBlankPage(const RenderOptions& options, double level);
ScanBitmap RenderBlankPage(const RenderOptions& options);

// Raw 10-bit value of an ideal encoded value through one channel's response.
int RawValue(const ChannelResponse& response, double encoded);

// Encoded sRGB of the fixed parts of the page: scanner background, card, box line.
inline constexpr double PageBackgroundLevel = 0.03;
inline constexpr double SurroundLevel = 0.45;
inline constexpr double LineLevel = 0.04;
inline constexpr double PaperWhiteLevel = 0.94;

}  // namespace calvix
