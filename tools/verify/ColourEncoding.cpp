// The three colour readings and the choice between them.
#include "ColourEncoding.h"

#include "PrintableText.h"
#include "profiling/ProfileFiles.h"

#include <cstdio>

namespace calvix::verify {

namespace {

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "1.0", "2.2", "1.75": as the gamma was given, without trailing zeros past the first decimal.
std::string GammaText(double gamma) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", gamma);
    std::string s = text;
    if (s.size() > 3 && s.back() == '0') s.pop_back();
    return s;
}

}  // namespace

std::optional<ColourReading> ColourReading::FromProfileFile(const std::string& path, std::string& error) {
    std::string reason;
    std::optional<IccProfile> profile = IccProfile::FromFile(path, reason);
    if (!profile) {
        // The reason names the file already.
        error = "cannot use the colour profile " + reason;
        return std::nullopt;
    }
    if (const std::string problem = profile->InputProfileProblem(); !problem.empty()) {
        error = "colour profile '" + path + "' is " + problem;
        return std::nullopt;
    }
    ColourReading reading;
    reading.kind_ = ColourEncodingKind::Profile;
    reading.profilePath_ = path;
    reading.profile_ = std::make_shared<const IccProfile>(std::move(*profile));
    reading.transform_ = std::make_shared<const RgbToLabTransform>(*reading.profile_);
    if (!reading.transform_->Valid()) {
        error = "colour profile '" + path + "' gives no transform to L*a*b*";
        return std::nullopt;
    }
    const std::string description = reading.profile_->Description();
    // The description is the file's text: shown to people, it must not carry terminal controls.
    reading.text_ = PrintableText("ICC profile " + BaseName(path) + " (" +
                                  (description.empty() ? "no description" : description) + ")");
    return reading;
}

ColourReading ColourReading::Reference(const ReferenceEncoding& encoding, double gamma, bool adaptD65) {
    ColourReading reading;
    reading.kind_ = ColourEncodingKind::Reference;
    reading.encoding_ = encoding;
    reading.text_ = "calibration reference encoding (gamma " + GammaText(gamma) +
                    (adaptD65 ? ", adapted matrix)" : ", plain matrix)");
    return reading;
}

ColourReading ColourReading::Srgb() {
    ColourReading reading;
    reading.kind_ = ColourEncodingKind::Srgb;
    reading.text_ = "sRGB (assumed)";
    return reading;
}

Lab ColourReading::Read(const std::array<double, 3>& rgb) const {
    switch (kind_) {
        case ColourEncodingKind::Profile:
            return transform_->Apply(rgb[0], rgb[1], rgb[2]);
        case ColourEncodingKind::Reference:
            return encoding_->DecodeFractional(rgb);
        case ColourEncodingKind::Srgb:
            break;
    }
    return SrgbToLabD50(rgb[0], rgb[1], rgb[2]);
}

const char* ColourReading::KindKey() const {
    switch (kind_) {
        case ColourEncodingKind::Profile:
            return "icc_profile";
        case ColourEncodingKind::Reference:
            return "reference_encoding";
        case ColourEncodingKind::Srgb:
            break;
    }
    return "srgb";
}

ColourReading ChooseColourReading(const ColourReadingChoice& choice, const std::string& serial, bool front,
                                  const ColourReading& reference, std::string& warning) {
    warning.clear();
    if (choice.assumeSrgb) return ColourReading::Srgb();
    if (const std::optional<ColourReading>& given = front ? choice.front : choice.rear) return *given;
    // Without a serial the file name would be "unknown", which may be any scanner's.
    if (serial.empty() || choice.iccFolder.empty()) return reference;
    std::string refusal;
    const std::optional<std::string> found =
        FindScannerProfile(choice.iccFolder, serial, front ? "front" : "rear", &refusal);
    if (!found) {
        if (!refusal.empty())
            warning = "the stored profile is not used: " + refusal + "; the reference encoding is used instead";
        return reference;
    }
    std::string error;
    if (std::optional<ColourReading> reading = ColourReading::FromProfileFile(*found, error)) return *reading;
    warning = error + "; the reference encoding is used instead";
    return reference;
}

}  // namespace calvix::verify
