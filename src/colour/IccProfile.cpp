// ICC profiles through Little CMS: ownership, bounded reading, serialising, the device-to-Lab
// transform.
#include "colour/IccProfile.h"

#include <lcms2.h>

#include "app/FileKind.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace calvix {

IccProfile::IccProfile(void* handle) : handle_(handle) {}

void IccProfile::Closer::operator()(void* handle) const {
    if (handle != nullptr) cmsCloseProfile(static_cast<cmsHPROFILE>(handle));
}

namespace {

constexpr std::size_t HeaderBytes = 128;
constexpr std::size_t TagEntryBytes = 12;

std::uint32_t BigEndian32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) << 24 | static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

// A signature as its four characters, or in hex when they are not all printable.
std::string SignatureText(std::uint32_t signature) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>(signature >> shift & 0xFF);
        if (c < 0x20 || c > 0x7E) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(signature));
            return hex;
        }
        text += c;
    }
    return "'" + text + "'";
}

// Little CMS clips a header size larger than the data to the data and quietly drops every tag
// that lies outside it, so a profile cut short would still open, read through fewer tags than
// it has. Both are checked here, before it sees the bytes.
std::string LayoutProblem(const std::vector<std::uint8_t>& bytes) {
    const std::uint32_t declared = BigEndian32(bytes, 0);
    if (declared != bytes.size())
        return "its header gives a size of " + std::to_string(declared) + " bytes, but it holds " +
               std::to_string(bytes.size()) + " (cut short, or not one whole profile)";
    const std::uint32_t tags = BigEndian32(bytes, HeaderBytes);
    const std::uint64_t tableEnd = HeaderBytes + 4 + std::uint64_t{tags} * TagEntryBytes;
    if (tableEnd > bytes.size()) return "its tag table (" + std::to_string(tags) + " tags) runs past its end";
    for (std::uint32_t i = 0; i < tags; ++i) {
        const std::size_t entry = HeaderBytes + 4 + i * TagEntryBytes;
        const std::uint64_t offset = BigEndian32(bytes, entry + 4), size = BigEndian32(bytes, entry + 8);
        if (offset + size > bytes.size())
            return "its tag " + SignatureText(BigEndian32(bytes, entry)) + " lies outside the profile";
    }
    return {};
}

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

std::optional<IccProfile> IccProfile::FromBytes(const std::vector<std::uint8_t>& bytes, std::string& error) {
    if (bytes.size() < HeaderBytes + 4) {  // the header and a tag count
        error = "too short for an ICC profile";
        return std::nullopt;
    }
    if (bytes.size() > MaxProfileBytes) {
        error = "larger than any input profile";
        return std::nullopt;
    }
    if (std::string problem = LayoutProblem(bytes); !problem.empty()) {
        error = std::move(problem);
        return std::nullopt;
    }
    cmsHPROFILE handle = cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size()));
    if (handle == nullptr) {
        error = "not a readable ICC profile";
        return std::nullopt;
    }
    return IccProfile(handle);
}

std::optional<IccProfile> IccProfile::FromFile(const std::string& path, std::string& error,
                                               std::vector<std::uint8_t>* fileBytes) {
    const auto fail = [&](const std::string& reason) {
        error = path + ": " + reason;
        return std::nullopt;
    };
    // Without O_NONBLOCK the open of a FIFO waits for a writer that may never come; the type is
    // then judged on the open descriptor, so nothing can be swapped in between.
    const Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)};
    const int fd = file.fd;
    if (fd < 0) return fail(std::string("cannot be opened (") + std::strerror(errno) + ")");
    struct stat info {};
    if (::fstat(fd, &info) != 0) return fail(std::string("cannot be examined (") + std::strerror(errno) + ")");
    if (!S_ISREG(info.st_mode)) {
        struct stat own {};
        const bool link = ::lstat(path.c_str(), &own) == 0 && S_ISLNK(own.st_mode);
        return fail("is " + NotRegularFileKind(info.st_mode, link) + ", not a profile file");
    }
    if (static_cast<std::uint64_t>(info.st_size) > MaxProfileBytes) return fail("larger than any input profile");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t got = 0;
    // One byte more than fstat said, so a file that grew meanwhile is seen; an interrupted read
    // (a stop request by signal) ends the read as a failure, never as a shorter profile.
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0) return fail(std::string("cannot be read (") + std::strerror(errno) + ")");
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (got == bytes.size()) return fail("changed while it was read");
    bytes.resize(got);
    std::optional<IccProfile> profile = FromBytes(bytes, error);
    if (!profile) return fail(error);
    if (fileBytes != nullptr) *fileBytes = std::move(bytes);
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

std::string IccProfile::InputProfileProblem() const {
    // Only the input class describes a scanner's colours; a display or output profile states
    // what a screen or printer shows, and reading a scan through one gives figures that look
    // right while they describe another device. Reading a scan as sRGB is a choice of its own
    // where a program offers it, so no class is let through on request.
    const auto deviceClass = static_cast<std::uint32_t>(cmsGetDeviceClass(Handle()));
    if (deviceClass != cmsSigInputClass) {
        const struct {
            std::uint32_t signature;
            const char* name;
        } names[] = {{cmsSigDisplayClass, "a display profile"},    {cmsSigOutputClass, "an output profile"},
                     {cmsSigLinkClass, "a device link"},           {cmsSigColorSpaceClass, "a colour space profile"},
                     {cmsSigAbstractClass, "an abstract profile"}, {cmsSigNamedColorClass, "a named colour profile"}};
        std::string name = "a profile";
        for (const auto& n : names)
            if (n.signature == deviceClass) name = n.name;
        return name + " (class " + SignatureText(deviceClass) + "), not an input profile ('scnr')";
    }
    if (!ReadsRgb()) return "not for RGB data with an XYZ or L*a*b* connection space";
    if (!RgbToLabTransform(*this).Valid()) return "its tags give no transform to L*a*b*";
    return {};
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
