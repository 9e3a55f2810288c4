// Fuzz target for the bounding-box search on arbitrary helper images (scans are outside input):
// probes, the bottom-corner walk, the raster from whatever corners come out, and sampling.
#include "analysis/It8frame.h"
#include "analysis/PatchSampling.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

// Mostly the three helper colours, so that the probes get past their first phases; now and
// then a marked or odd pixel.
calvix::PackedColour ColourOf(std::uint8_t code) {
    switch (code & 7) {
        case 0: case 1: case 2: return calvix::HelperBlack;
        case 3: case 4: case 5: return calvix::HelperSilver;
        case 6: return calvix::HelperWhite;
        default: return calvix::MakeColour(255, code, code);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    // Heights up to 1400 reach the probe rows 300, 1300 and the walk from 1310 on.
    const int width = 1 + data[0] % 160;
    const int height = 1 + ((data[1] << 8) | data[2]) % 1400;
    calvix::ScanBitmap image(width, height);

    // The rest is run-length coded (colour code, run length), repeated to fill the image, so
    // that short inputs still make long lines and margins.
    const std::uint8_t* runs = data + 3;
    const std::size_t runBytes = (size - 3) & ~std::size_t{1};
    std::size_t at = 0;
    int remaining = 0;
    calvix::PackedColour colour = calvix::HelperSilver;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (remaining == 0 && runBytes >= 2) {
                colour = ColourOf(runs[at]);
                remaining = 1 + runs[at + 1];
                at = (at + 2) % runBytes;
            }
            image.SetPixel(x, y, colour);
            if (remaining > 0) --remaining;
        }
    }

    // Half of the inputs also get a box line from their first run bytes, so that the frame
    // search gets through to the corner walk and the raster with real corners.
    if (size >= 9 && (data[3] & 1) != 0) {
        const int left = data[4] % width;
        const int right = std::min(width - 1, left + 3 + data[5] % 200);
        const int top = (data[6] * 2) % height;
        const int bottom = std::min(height - 1, top + 1000 + data[7] * 2);
        const int line = 1 + data[8] % 6;
        for (int y = top; y <= bottom; ++y) {
            for (int x = left; x <= right; ++x) {
                const bool onLine = x < left + line || x > right - line || y < top + line || y > bottom - line;
                if (onLine) image.SetPixel(x, y, calvix::HelperBlack);
            }
        }
    }

    calvix::ChartFrame frame;
    frame.BuildFrame(image);
    std::array<calvix::Point, 5> slots{calvix::NotFound, frame.corner(1), frame.corner(0), frame.corner(2), frame.corner(3)};
    const calvix::RasterGeometry geometry = calvix::RasterGeometry::FromCorners(slots);
    (void)calvix::RasterLines(slots, geometry);
    calvix::GreyPatchTable table{};
    calvix::SampleGreyWedge(image, slots, geometry, table);
    return 0;
}
