// The picture loader that image windows use for files not named as JPEG: BMP (and JPEG data)
// by our own decoders, any other format through a port that the GUI fills with its reader.
#pragma once

#include "analysis/LoadProgress.h"
#include "analysis/PictureResult.h"

#include <cstdint>
#include <span>
#include <string>

namespace calvix {

// Port: decodes formats the core does not know (PNG, TIFF, GIF, ...) into a 24-bit image.
// Results of such formats set heldAsBitmap = false, as the platform keeps them as graphics.
class PictureFormatLoader {
public:
    virtual ~PictureFormatLoader() = default;
    // bytes is the whole file as read from path; an unknown format returns a failure.
    virtual PictureResult Load(std::span<const std::uint8_t> bytes, const std::string& path,
                               const LoadProgressFn& progress) = 0;
};

// Chooses the decoder by the file's content, not its name. otherFormats may be null (headless).
PictureResult LoadPicture(const std::string& path, PictureFormatLoader* otherFormats,
                          const LoadProgressFn& progress = {});

}  // namespace calvix
