// Reads a scan's answer the way a data source must: image headers checked, each face's bytes
// collected to the announced count, ScanDone last; and pixel access into the collected rows.
#pragma once

#include "ScanWire.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace calvix::test {

struct ScanAnswer {
    std::vector<wire::ImageHeader> headers;
    std::vector<std::string> images;  // bitmap bytes after the 40-byte header, one per face
    std::optional<wire::ScanDone> done;
    bool wellFormed = true;  // every frame where and as big as the layout says

    // Blue, green, red of pixel (x, y), y counted from the top, of a 24-bit face.
    std::array<int, 3> Pixel(std::size_t face, int x, int y) const;
};

// Adds one frame of the answer; false once the answer is complete or broken.
bool AddScanFrame(ScanAnswer* answer, const wire::Frame& frame);

// The whole answer from the bytes the device queued for it.
ScanAnswer DecodeScanAnswer(const std::string& bytes);

}  // namespace calvix::test
