// How a side's colour patches are turned into L*a*b*: through the side's ICC input profile, else
// through the calibration's own reference encoding run backwards, or as sRGB when asked. Chosen
// per side, and named in every report so a figure is never read without its encoding.
#pragma once

#include "QualityNames.h"
#include "colour/IccProfile.h"

#include <array>
#include <memory>
#include <optional>
#include <string>

namespace calvix::verify {

enum class ColourEncodingKind { Profile, Reference, Srgb };

class ColourReading {
public:
    // A profile file as given or found; nothing, with a reason naming the file, when it cannot be
    // read whole or is not an input profile reading RGB into the PCS.
    static std::optional<ColourReading> FromProfileFile(const std::string& path, std::string& error);
    static ColourReading Reference(const ReferenceEncoding& encoding, double gamma, bool adaptD65);
    static ColourReading Srgb();

    Lab Read(const std::array<double, 3>& rgb) const;
    ColourEncodingKind Kind() const { return kind_; }
    // "icc_profile", "reference_encoding" or "srgb", for the JSON and the history.
    const char* KindKey() const;
    // For people: "ICC profile <file name> (<description>)", "calibration reference encoding
    // (gamma 1.0, plain matrix)" or "sRGB (assumed)".
    const std::string& Text() const { return text_; }
    // The profile file read through; empty for the other encodings.
    const std::string& ProfilePath() const { return profilePath_; }

private:
    ColourReading() = default;
    ColourEncodingKind kind_ = ColourEncodingKind::Srgb;
    std::string text_;
    std::string profilePath_;
    // Shared: a reading is copied into both sides' contexts, the transform is made once.
    std::shared_ptr<const IccProfile> profile_;
    std::shared_ptr<const RgbToLabTransform> transform_;
    std::optional<ReferenceEncoding> encoding_;
};

// Where the readings come from, decided on the command line before anything is scanned.
struct ColourReadingChoice {
    bool assumeSrgb = false;
    std::optional<ColourReading> front;  // --profile
    std::optional<ColourReading> rear;   // --rear-profile
    std::string iccFolder;               // searched by serial and side when no profile is given
};

// The reading of one side: sRGB when assumed, else the profile given, else the one found in the
// ICC folder for this serial and side (none is looked for without a serial), else the reference
// encoding. warning receives why a found profile was passed over.
ColourReading ChooseColourReading(const ColourReadingChoice& choice, const std::string& serial, bool front,
                                  const ColourReading& reference, std::string& warning);

}  // namespace calvix::verify
