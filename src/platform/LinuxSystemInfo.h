// SystemInfo for Linux: the data folder from the XDG data home, the kernel release as the OS
// version, the compiled-in version numbers and the locale's language.
#pragma once

#include "app/SystemInfo.h"

namespace calvix {

class LinuxSystemInfo final : public SystemInfo {
public:
    std::string CommonAppDataFolder() const override;
    bool CreateDirectory(const std::string& path) override;
    std::string ProgramPath() const override;
    void OsVersion(int& major, int& minor) const override;
    std::optional<VersionNumbers> ProgramVersion() const override;
    std::uint16_t DefaultLanguage() const override;
};

// The path of the running executable (/proc/self/exe).
std::string ExecutablePath();
// The system directory holding the scanner maker's libraries: $CALVIX_SYSTEM_DIR, else
// ../lib/calvix beside the executable.
std::string SystemDirectory();

}  // namespace calvix
