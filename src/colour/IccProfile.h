// An ICC profile held in memory (a Little CMS handle that frees itself), read whole from bytes
// or a regular file with a size bound, written back to bytes, and the transform that reads
// device RGB through it into L*a*b* under D50.
#pragma once

#include "colour/ColourSpaces.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace calvix {

// A profile larger than this is not an input profile of ours or anyone's (a 33-point CLUT in
// floats is under 1 MiB); reading stops there rather than loading a huge file.
inline constexpr std::size_t MaxProfileBytes = 16u << 20;

class IccProfile {
public:
    // Takes ownership of a Little CMS profile handle (void* keeps lcms2.h out of this header).
    explicit IccProfile(void* handle);

    // Refused, with the reason in error: too short or too large, a size in the header other than
    // the data's (cut short, or more than one profile), a tag outside the data, or what Little CMS
    // cannot open.
    static std::optional<IccProfile> FromBytes(const std::vector<std::uint8_t>& bytes, std::string& error);
    // Only a regular file is read (a FIFO, folder or device is named as such in error, which
    // begins with the path); fileBytes, when given, receives the file's own bytes.
    static std::optional<IccProfile> FromFile(const std::string& path, std::string& error,
                                              std::vector<std::uint8_t>* fileBytes = nullptr);

    void* Handle() const { return handle_.get(); }
    // The serialised profile; empty when Little CMS cannot write it.
    std::vector<std::uint8_t> Bytes() const;
    // The profile description tag in English, empty when absent.
    std::string Description() const;
    // True for an RGB-data profile whose PCS is XYZ or L*a*b*: the only kind a scan is read through.
    bool ReadsRgb() const;
    // Empty for a profile a scan can be read through: input class ('scnr'), RGB data, XYZ or
    // L*a*b* PCS, and a transform to L*a*b* that Little CMS can build from its tags; otherwise
    // what it is instead, e.g. "a display profile (class 'mntr'), not an input profile ('scnr')".
    std::string InputProfileProblem() const;

private:
    struct Closer {
        void operator()(void* handle) const;
    };
    std::unique_ptr<void, Closer> handle_;
};

// Device RGB (0..255, fractions allowed) to L*a*b* (D50) through a profile. Absolute
// colorimetric intent: the reference values of a target are measurements, not relative to its
// paper, so they are compared with what the profile says the patch really is.
class RgbToLabTransform {
public:
    explicit RgbToLabTransform(const IccProfile& profile);
    RgbToLabTransform(const RgbToLabTransform&) = delete;
    RgbToLabTransform& operator=(const RgbToLabTransform&) = delete;
    ~RgbToLabTransform();

    bool Valid() const { return transform_ != nullptr; }
    Lab Apply(double red, double green, double blue) const;

private:
    void* transform_ = nullptr;
};

}  // namespace calvix
