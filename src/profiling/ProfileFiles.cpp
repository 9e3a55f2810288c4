// Profile files.
#include "profiling/ProfileFiles.h"

#include "app/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace calvix {

namespace {

bool MakeFolders(const std::string& folder, std::string& error) {
    std::string path;
    for (std::size_t i = 0; i <= folder.size(); ++i) {
        if (i == folder.size() || (folder[i] == '/' && i > 0)) {
            path = folder.substr(0, i);
            if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
                error = "cannot create folder " + path + ": " + std::strerror(errno);
                return false;
            }
        }
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = folder + " is not a folder";
        return false;
    }
    return true;
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string ProfileFileName(const std::string& serial, const std::string& side) {
    std::string safe = serial.empty() ? "unknown" : serial;
    for (char& c : safe) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                             c == '_' || c == '-';
        if (!allowed) c = '_';
    }
    // A serial of dots alone would still be a plain name here, since it is never the whole name.
    return "Zelmar-Q71-" + safe + "-" + side + ".icc";
}

bool StoreProfile(const std::string& folder, const std::string& name, const std::vector<std::uint8_t>& bytes,
                  std::string& error) {
    if (bytes.empty()) {
        error = "no profile to write";
        return false;
    }
    if (!MakeFolders(folder, error)) return false;
    const std::string path = folder + "/" + name;
    const std::string previous = path + ".previous";
    // The new profile is written beside the target first, so a failure leaves both the current
    // and the previous profile as they were.
    const std::string staged = path + ".new";
    AtomicFileWriter writer(staged);
    writer.Write(bytes.data(), bytes.size());
    if (!writer.Commit(&error)) return false;
    if (IsRegularFile(path) && std::rename(path.c_str(), previous.c_str()) != 0) {
        error = "cannot keep " + path + " as " + previous + ": " + std::strerror(errno);
        std::remove(staged.c_str());
        return false;
    }
    if (std::rename(staged.c_str(), path.c_str()) != 0) {
        error = "cannot put " + path + " in place: " + std::strerror(errno);
        std::remove(staged.c_str());
        return false;
    }
    return true;
}

std::optional<std::string> FindProfile(const std::string& folder, const std::string& name) {
    const std::string path = folder + "/" + name;
    if (IsRegularFile(path)) return path;
    return std::nullopt;
}

}  // namespace calvix
