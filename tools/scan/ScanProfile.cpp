// The ICC profile q71-scan embeds in a TIFF: the one named on the command line or the scanned
// side's own from the ICC folder (none without a serial), read whole and checked to be an RGB
// input profile before the sheet is scanned.
#include "ScanTool.h"

#include "app/AtomicFile.h"
#include "app/FileKind.h"
#include "colour/IccProfile.h"
#include "profiling/ProfileFiles.h"

#include <algorithm>
#include <cctype>

namespace calvix::scan {

bool IsTiffName(const std::string& path) {
    std::string name = FileNamePart(path);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name.ends_with(".tif") || name.ends_with(".tiff");
}

bool LoadProfile(const std::string& path, ChosenProfile& chosen, std::string& error) {
    // The file's own bytes are embedded, not Little CMS's rewrite of them: the profile's ID and
    // every tag stay as the maker wrote them. Only a profile read whole, and read through as an
    // input profile, is embedded at all.
    std::string reason;
    std::vector<std::uint8_t> bytes;
    const std::optional<IccProfile> profile = IccProfile::FromFile(path, reason, &bytes);
    if (!profile) {
        error = "cannot read the ICC profile " + reason;  // the reason begins with the path
        return false;
    }
    if (const std::string problem = profile->InputProfileProblem(); !problem.empty()) {
        error = "the ICC profile " + path + " is " + problem;
        return false;
    }
    chosen.bytes = std::move(bytes);
    const std::string description = profile->Description();
    chosen.line = path + (description.empty() ? "" : " (" + description + ")");
    return true;
}

bool FindSideProfile(const std::string& folder, const std::string& serial, const std::string& side,
                     ChosenProfile& chosen, std::string& error) {
    // A file found by an empty serial could be any scanner's.
    if (serial.empty()) {
        chosen = {{},
                  "none: the scanner reported no serial number, so no profile is its own; written without one "
                  "(--profile names one)"};
        return true;
    }
    const std::string name = ProfileFileName(serial, side);
    if (folder.empty()) {
        chosen = {{}, "none: no ICC folder (neither XDG_DATA_HOME nor HOME is usable), written without one"};
        return true;
    }
    std::string refusal;
    const std::optional<std::string> path = FindScannerProfile(folder, serial, side, &refusal);
    if (path) return LoadProfile(*path, chosen, error);
    // Something other than this side's profile under its name is not "no profile": it is refused
    // with what it is, as a broken profile file is, rather than the scan going out without one.
    const std::string there = folder + "/" + name;
    if (const std::string kind = PathKindProblem(there); !kind.empty()) {
        error = "cannot read the ICC profile " + there + ": is " + kind + ", not a profile file";
        return false;
    }
    if (!refusal.empty()) {
        error = "cannot use the stored ICC profile: " + refusal;
        return false;
    }
    chosen = {{}, "none: no " + name + " in " + folder + ", written without one"};
    return true;
}

}  // namespace calvix::scan
