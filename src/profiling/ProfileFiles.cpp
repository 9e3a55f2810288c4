// Profile files.
#include "profiling/ProfileFiles.h"

#include "app/AtomicFile.h"
#include "app/RegularFile.h"
#include "app/SerialNames.h"
#include "colour/IccProfile.h"
#include "profiling/InputProfileWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace calvix {

namespace {

const std::string NamePrefix = "Zelmar-Q71-";
const std::string NameSuffix = ".icc";
const char* const Sides[] = {"front", "rear"};

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

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The serial and side a name of ProfileFileName's stands for; nothing for any other name.
std::optional<std::pair<std::string, std::string>> ParseProfileFileName(const std::string& name) {
    for (const std::string side : Sides) {
        const std::string tail = "-" + side + NameSuffix;
        if (name.size() <= NamePrefix.size() + tail.size() || !name.starts_with(NamePrefix) || !name.ends_with(tail))
            continue;
        const std::optional<std::string> serial =
            UnescapeSerial(name.substr(NamePrefix.size(), name.size() - NamePrefix.size() - tail.size()));
        if (!serial) return std::nullopt;
        // Only a name that the serial gives back exactly: "Q71%3a1" or "%2D" are not ours.
        if (ProfileFileName(*serial, side) != name) return std::nullopt;
        return std::make_pair(*serial, side);
    }
    return std::nullopt;
}

// Why the profile at path is not this side's, empty when it is.
std::string ProfileRefusal(const std::string& path, const std::string& serial, const std::string& side) {
    const std::optional<std::string> content = ReadWholeFile(path, MaxProfileBytes);
    if (!content) return path + " cannot be read (not a regular file, or over 16 MiB)";
    std::string reason;
    const std::optional<IccProfile> profile =
        IccProfile::FromBytes(std::vector<std::uint8_t>(content->begin(), content->end()), reason);
    if (!profile) return path + " is not a usable ICC profile: " + reason;
    const std::string description = profile->Description();
    if (!DescriptionNamesSide(description, serial, side))
        return path + " describes \"" + description + "\", not the " + side + " side of scanner " + serial;
    return {};
}

// Gives the file at path a second name without copying when the file system can, so the file
// never stands without its first; a byte copy where hard links are not supported.
bool KeepCopy(const std::string& path, const std::string& copy, std::string& error) {
    ::unlink(copy.c_str());
    if (::link(path.c_str(), copy.c_str()) == 0) return true;
    const int code = errno;
    if (code != EPERM && code != EOPNOTSUPP && code != EMLINK && code != EXDEV) {
        error = "cannot link " + path + " to " + copy + ": " + std::strerror(code);
        return false;
    }
    const std::optional<std::string> content = ReadWholeFile(path, MaxProfileBytes);
    if (!content) {
        error = "cannot read " + path + " to keep it";
        return false;
    }
    return WriteFileAtomically(copy, *content, &error);
}

}  // namespace

std::string ProfileFileName(const std::string& serial, const std::string& side) {
    // The same encoding as the history files' names, so a serial reads the same in both places.
    const std::string escaped = EscapeSerial(serial);
    if (escaped.size() > MaxProfileSerialBytes) return {};
    return NamePrefix + escaped + "-" + side + NameSuffix;
}

std::string OldProfileFileName(const std::string& serial, const std::string& side) {
    // Before the escaping every byte but letters, digits, '-', '_' and '.' became '_', uncut.
    std::string safe = serial.empty() ? "unknown" : serial;
    for (char& c : safe)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
              c == '.'))
            c = '_';
    return NamePrefix + safe + "-" + side + NameSuffix;
}

bool DescriptionNamesSide(const std::string& description, const std::string& serial, const std::string& side) {
    ProfileIdentity identity;
    identity.serial = serial;
    identity.side = side;
    const std::string named = ProfileDescriptionText(identity);
    return description.starts_with(named) &&
           (description.size() == named.size() || description.compare(named.size(), 2, ", ") == 0);
}

bool StoreProfile(const std::string& folder, const std::string& name, const std::vector<std::uint8_t>& bytes,
                  std::string& error) {
    if (name.empty()) {
        error = "the serial is too long to name a profile file";
        return false;
    }
    if (bytes.empty()) {
        error = "no profile to write";
        return false;
    }
    if (!MakeFolders(folder, error)) return false;
    const std::string path = folder + "/" + name;
    const std::string previous = path + ".previous";
    for (const std::string& target : {path, previous}) {
        if (const std::string why = ReplaceTargetProblem(target); !why.empty()) {
            error = "will not replace " + target + ": " + why;
            return false;
        }
    }
    // The new profile is written beside the target first, so a failure leaves both the current
    // and the previous profile as they were.
    const std::string staged = path + ".new";
    AtomicFileWriter writer(staged);
    writer.Write(bytes.data(), bytes.size());
    if (!writer.Commit(&error)) return false;
    // The current profile gets a second name before the new one takes its first, and only once
    // the new one is in place does that second name replace the older .previous: the name never
    // stands empty, and a failure before the end leaves current and previous as they were.
    const std::string keeping = previous + ".new";
    const bool hadCurrent = IsRegularFile(path);
    if (hadCurrent && !KeepCopy(path, keeping, error)) {
        error = "cannot keep " + path + " as " + previous + ": " + error;
        ::unlink(staged.c_str());
        return false;
    }
    if (std::rename(staged.c_str(), path.c_str()) != 0) {
        error = "cannot put " + path + " in place: " + std::strerror(errno);
        ::unlink(staged.c_str());
        if (hadCurrent) ::unlink(keeping.c_str());
        return false;
    }
    // Decision: the new profile is in place, so the store has succeeded even if this rename
    // fails (previous was checked above, so only a fault of the disk can make it); the one
    // before is then left as .previous.new rather than lost.
    if (hadCurrent) std::rename(keeping.c_str(), previous.c_str());
    SyncFolderOf(path);
    return true;
}

bool SetProfileAside(const std::string& folder, const std::string& serial, const std::string& side, std::string& moved,
                     std::string& error) {
    moved.clear();
    // Whatever lies under the escaped name, and then a file under the old name that would be
    // found in its place.
    std::optional<std::string> path;
    if (const std::string name = ProfileFileName(serial, side); !name.empty() && Exists(folder + "/" + name))
        path = folder + "/" + name;
    for (int round = 0; round < 2 && (path || (path = FindScannerProfile(folder, serial, side))); ++round) {
        const std::string stale = *path + ".stale";
        if (std::rename(path->c_str(), stale.c_str()) != 0) {
            error = "cannot move " + *path + " aside as " + stale + ": " + std::strerror(errno);
            return false;
        }
        SyncFolderOf(*path);
        moved = stale;
        path.reset();
    }
    return true;
}

std::optional<std::string> FindScannerProfile(const std::string& folder, const std::string& serial,
                                              const std::string& side, std::string* refusal) {
    std::string why;
    if (serial.empty()) {
        why = "without the scanner's serial a stored profile may be any scanner's";
    } else {
        // Decision: the name of the versions before the escaping is still read, since a profile
        // stored there was made for this scanner's tables, but only when the escaped name has
        // none and the file's own description names this serial exactly: the old name is shared
        // by every serial that differs only in the replaced characters (and is the new name of
        // the one with '_' there), so only the description tells whose it is.
        std::vector<std::string> names = {ProfileFileName(serial, side)};
        if (const std::string old = OldProfileFileName(serial, side); old != names[0]) names.push_back(old);
        for (const std::string& name : names) {
            if (name.empty()) continue;
            const std::string path = folder + "/" + name;
            if (!Exists(path)) continue;
            why = ProfileRefusal(path, serial, side);
            if (why.empty()) return path;
            break;  // a file under the new name that is not this side's is never passed over
        }
    }
    if (refusal) *refusal = why;
    return std::nullopt;
}

std::optional<std::string> FindProfile(const std::string& folder, const std::string& name) {
    if (const auto parsed = ParseProfileFileName(name))
        return FindScannerProfile(folder, parsed->first, parsed->second);
    const std::string path = folder + "/" + name;
    if (IsRegularFile(path)) return path;
    return std::nullopt;
}

}  // namespace calvix
