// The outcome of decoding a picture: the 24-bit image, or a message saying why there is none,
// plus what the information lines and the top-down check box need to know about the file.
#pragma once

#include "analysis/ScanBitmap.h"

#include <string>

namespace calvix {

struct PictureResult {
    bool ok = false;
    std::string error;      // set when !ok, a sentence for the log
    ScanBitmap image;       // always 24 bits per pixel, row 0 at the top
    bool heldAsBitmap = true;  // false for formats that the platform holds as another graphic
    bool topDown = false;   // a BMP file that stored its rows top-down

    static PictureResult Failure(std::string message) {
        PictureResult result;
        result.error = std::move(message);
        return result;
    }
};

}  // namespace calvix
