// The SystemInfo port: what the core asks of the operating system at start-up: the common
// application data folder, directory creation, the program's path and version, the OS version
// and the system default language.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace calvix {

struct VersionNumbers {
    int a = 0, b = 0, c = 0, d = 0;
};

class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    // The all-users application data folder; empty when it cannot be determined.
    virtual std::string CommonAppDataFolder() const = 0;
    // Creates one directory; failures (an existing directory among them) are the caller's to ignore.
    virtual bool CreateDirectory(const std::string& path) = 0;
    virtual std::string ProgramPath() const = 0;
    virtual void OsVersion(int& major, int& minor) const = 0;
    // The program's own version numbers, nothing when they cannot be read.
    virtual std::optional<VersionNumbers> ProgramVersion() const = 0;
    virtual std::uint16_t DefaultLanguage() const = 0;
};

}  // namespace calvix
