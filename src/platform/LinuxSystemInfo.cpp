// Linux answers to the core's start-up questions.
#include "platform/LinuxSystemInfo.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include "BuildInfo.h"
#include "app/Language.h"
#include "platform/XdgDirs.h"

namespace calvix {
std::string ExecutablePath() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    return std::string(buffer, static_cast<std::size_t>(n));
}

std::string SystemDirectory() {
    if (const char* v = std::getenv("CALVIX_SYSTEM_DIR"); v && *v) return v;
    std::string exe = ExecutablePath();
    const std::size_t slash = exe.find_last_of('/');
    if (slash == std::string::npos) return {};
    return exe.substr(0, slash) + "/../lib/calvix";
}

std::string LinuxSystemInfo::CommonAppDataFolder() const {
    std::string folder = XdgDataHome();
    if (folder.empty()) return {};
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    // On a fresh account the XDG folder may not exist yet; the platform folder always does.
    for (std::size_t p = 1; p <= folder.size(); ++p)
        if (p == folder.size() || folder[p] == '/') ::mkdir(folder.substr(0, p).c_str(), 0755);
    return folder;
}

bool LinuxSystemInfo::CreateDirectory(const std::string& path) { return ::mkdir(path.c_str(), 0755) == 0; }

std::string LinuxSystemInfo::ProgramPath() const { return ExecutablePath(); }

void LinuxSystemInfo::OsVersion(int& major, int& minor) const {
    major = minor = 0;
    struct utsname u{};
    if (::uname(&u) == 0) std::sscanf(u.release, "%d.%d", &major, &minor);
}

std::optional<VersionNumbers> LinuxSystemInfo::ProgramVersion() const {
    return VersionNumbers{CALVIX_VERSION_MAJOR, CALVIX_VERSION_MINOR, CALVIX_VERSION_PATCH, CALVIX_VERSION_BUILD};
}

std::uint16_t LinuxSystemInfo::DefaultLanguage() const { return SystemDefaultLanguage(); }

}  // namespace calvix
