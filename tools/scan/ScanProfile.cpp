// The ICC profile q71-scan embeds in a TIFF: the one named on the command line or the scanned
// side's own from the ICC folder, checked to be an RGB input profile before the sheet is scanned.
#include "ScanTool.h"

#include "app/AtomicFile.h"
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
    // every tag stay as the maker wrote them.
    const std::optional<std::string> content = ReadWholeFile(path, MaxProfileBytes);
    if (!content) {
        error = "cannot read the ICC profile " + path + " (missing, not a regular file or over 16 MiB)";
        return false;
    }
    chosen.bytes.assign(content->begin(), content->end());
    std::string reason;
    const std::optional<IccProfile> profile = IccProfile::FromBytes(chosen.bytes, reason);
    if (!profile) {
        error = "the ICC profile " + path + " cannot be used: " + reason;
        return false;
    }
    if (!profile->ReadsRgb()) {
        error = "the ICC profile " + path + " is not an RGB input profile";
        return false;
    }
    const std::string description = profile->Description();
    chosen.line = path + (description.empty() ? "" : " (" + description + ")");
    return true;
}

bool FindSideProfile(const std::string& folder, const std::string& serial, const std::string& side,
                     ChosenProfile& chosen, std::string& error) {
    const std::string name = ProfileFileName(serial, side);
    if (folder.empty()) {
        chosen = {{}, "none: no ICC folder (neither XDG_DATA_HOME nor HOME is usable), written without one"};
        return true;
    }
    const std::optional<std::string> path = FindProfile(folder, name);
    if (!path) {
        chosen = {{}, "none: no " + name + " in " + folder + ", written without one"};
        return true;
    }
    return LoadProfile(*path, chosen, error);
}

}  // namespace calvix::scan
