// XDG base directories: one reading of the environment for every folder the programs use.
#include "platform/XdgDirs.h"

#include <cstdlib>
#include <sys/stat.h>

namespace calvix {
namespace {

bool IsAbsolute(const char* path) { return path && path[0] == '/'; }

}  // namespace

std::string XdgBaseDirectory(const char* variable, const char* homeSuffix) {
    if (const char* v = std::getenv(variable); IsAbsolute(v)) return v;
    // A relative HOME would put the folder wherever the program was started: no usable folder.
    if (const char* home = std::getenv("HOME"); IsAbsolute(home)) return std::string(home) + homeSuffix;
    return {};
}

std::string XdgDataHome() { return XdgBaseDirectory("XDG_DATA_HOME", "/.local/share"); }
std::string XdgConfigHome() { return XdgBaseDirectory("XDG_CONFIG_HOME", "/.config"); }
std::string XdgStateHome() { return XdgBaseDirectory("XDG_STATE_HOME", "/.local/state"); }

std::string XdgRuntimeDir() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (IsAbsolute(runtime) && ::stat(runtime, &info) == 0 && S_ISDIR(info.st_mode)) return runtime;
    return "/tmp";
}

std::string XdgIccFolder() {
    const std::string data = XdgDataHome();
    return data.empty() ? std::string() : data + "/icc";
}

}  // namespace calvix
