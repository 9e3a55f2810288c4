// The colours of an IT8.7/2 target as the emulated scanner renders them: D50 XYZ values of the
// 264 colour patches and the 24 grey patches, and their conversion to encoded sRGB.
#pragma once

#include <array>
#include <string>

namespace calvix {

class TIT8Ref;

struct XyzColour {
    double X = 0.0;  // 0..100 scale, as IT8 reference files give them
    double Y = 0.0;
    double Z = 0.0;
};

struct EncodedRgb {
    double r = 0.0;  // 0..1, sRGB transfer curve applied
    double g = 0.0;
    double b = 0.0;
};

inline constexpr int ChartPatchRows = 12;     // A .. L
inline constexpr int ChartPatchColumns = 22;  // 1 .. 22
inline constexpr int ChartGreyCount = 24;     // GS0 .. GS23

struct ChartColours {
    std::array<std::array<XyzColour, ChartPatchColumns>, ChartPatchRows> patches{};
    std::array<XyzColour, ChartGreyCount> greys{};
};

// A plausible target made up here: a neutral wedge from L* 93 to L* 4 and a grid of hues and
// lightnesses, for renders that need no reference file.
ChartColours SyntheticChartColours();

// The colours of the target that a loaded reference record describes.
ChartColours ChartColoursFromReference(const TIT8Ref& reference);

// Reads an IT8 reference file into colours; false with a reason for anything that is not a
// readable regular file of reasonable size (a device or a FIFO would never end).
bool LoadChartColours(const std::string& path, ChartColours* colours, std::string* error);

// D50 XYZ (0..100) to encoded sRGB, Bradford-adapted to D65, clipped to 0..1.
EncodedRgb XyzD50ToSrgb(const XyzColour& xyz);

// The sRGB transfer curve and its inverse, 0..1 clipped.
double SrgbEncode(double linear);
double SrgbDecode(double encoded);

// CIE L*a*b* (D50 white) to XYZ on the 0..100 scale.
XyzColour LabD50ToXyz(double L, double a, double b);

}  // namespace calvix
