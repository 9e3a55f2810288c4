// ICC profiles through Little CMS: ownership, bounded reading, serialising, the device-to-Lab
// transform.
#include "colour/IccProfile.h"

#include <lcms2.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace calvix {

IccProfile::IccProfile(void* handle) : handle_(handle) {}

void IccProfile::Closer::operator()(void* handle) const {
    if (handle != nullptr) cmsCloseProfile(static_cast<cmsHPROFILE>(handle));
}

std::optional<IccProfile> IccProfile::FromBytes(const std::vector<std::uint8_t>& bytes, std::string& error) {
    if (bytes.size() < 132) {  // the 128-byte header and a tag count
        error = "too short for an ICC profile";
        return std::nullopt;
    }
    if (bytes.size() > MaxProfileBytes) {
        error = "larger than any input profile";
        return std::nullopt;
    }
    cmsHPROFILE handle = cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size()));
    if (handle == nullptr) {
        error = "not a readable ICC profile";
        return std::nullopt;
    }
    return IccProfile(handle);
}

std::optional<IccProfile> IccProfile::FromFile(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot be opened (" + std::strerror(errno) + ")";
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.insert(bytes.end(), buffer, buffer + in.gcount());
        if (bytes.size() > MaxProfileBytes) break;
    }
    std::optional<IccProfile> profile = FromBytes(bytes, error);
    if (!profile) error = path + ": " + error;
    return profile;
}

std::vector<std::uint8_t> IccProfile::Bytes() const {
    cmsUInt32Number size = 0;
    if (!cmsSaveProfileToMem(Handle(), nullptr, &size) || size == 0) return {};
    std::vector<std::uint8_t> bytes(size);
    if (!cmsSaveProfileToMem(Handle(), bytes.data(), &size)) return {};
    bytes.resize(size);
    return bytes;
}

std::string IccProfile::Description() const {
    const cmsUInt32Number size = cmsGetProfileInfoASCII(Handle(), cmsInfoDescription, "en", "US", nullptr, 0);
    if (size == 0) return {};
    std::string text(size, '\0');
    cmsGetProfileInfoASCII(Handle(), cmsInfoDescription, "en", "US", text.data(), size);
    text.resize(std::min<std::size_t>(text.find('\0'), text.size()));
    return text;
}

bool IccProfile::ReadsRgb() const {
    // A header may hold any 32 bits where the enum expects a signature; compared as numbers, an
    // unknown one is simply no match.
    const auto data = static_cast<std::uint32_t>(cmsGetColorSpace(Handle()));
    const auto pcs = static_cast<std::uint32_t>(cmsGetPCS(Handle()));
    return data == cmsSigRgbData && (pcs == cmsSigXYZData || pcs == cmsSigLabData);
}

RgbToLabTransform::RgbToLabTransform(const IccProfile& profile) {
    if (!profile.ReadsRgb()) return;
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);  // D50
    if (lab == nullptr) return;
    // No optimisation: the float pipeline is evaluated as the profile states it, so a patch read
    // here is what any careful reader of the profile gets.
    transform_ = cmsCreateTransform(profile.Handle(), TYPE_RGB_DBL, lab, TYPE_Lab_DBL,
                                    INTENT_ABSOLUTE_COLORIMETRIC, cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
    cmsCloseProfile(lab);
}

RgbToLabTransform::~RgbToLabTransform() {
    if (transform_ != nullptr) cmsDeleteTransform(static_cast<cmsHTRANSFORM>(transform_));
}

Lab RgbToLabTransform::Apply(double red, double green, double blue) const {
    const double device[3] = {red / 255.0, green / 255.0, blue / 255.0};
    cmsCIELab lab{0.0, 0.0, 0.0};
    if (transform_ != nullptr) cmsDoTransform(static_cast<cmsHTRANSFORM>(transform_), device, &lab, 1);
    return {lab.L, lab.a, lab.b};
}

}  // namespace calvix
