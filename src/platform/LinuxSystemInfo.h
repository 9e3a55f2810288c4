// SystemInfo for Linux: the data folder from XDG_DATA_HOME, the kernel release as the OS
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

// $XDG_DATA_HOME, else $HOME/.local/share; empty when neither can be had.
std::string XdgDataHome();
// $XDG_CONFIG_HOME, else $HOME/.config; empty when neither can be had.
std::string XdgConfigHome();
// The path of the running executable (/proc/self/exe).
std::string ExecutablePath();
// The system directory holding the scanner maker's libraries: $CALVIX_SYSTEM_DIR, else
// ../lib/calvix beside the executable.
std::string SystemDirectory();

}  // namespace calvix
