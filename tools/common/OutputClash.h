// The check every tool makes before it writes: no output may name one of its inputs or another
// of its outputs, or the run would destroy what it reads (a scan turned into a PDF) and still
// end with success.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <sys/stat.h>

namespace calvix {

struct NamedPath {
    std::string what;  // how the command line names it: "--report", "FRONT", ...
    std::string path;  // empty: not given, never compared
};

// Whether a and b are one file. Where both exist, the device and inode decide, so a second
// name (a link, "./", "..") is seen through; where neither does (two outputs still to be made),
// their absolute, normalised paths do. One existing and one not are different files.
inline bool NameOneFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    const bool haveFirst = ::stat(a.c_str(), &first) == 0;
    const bool haveSecond = ::stat(b.c_str(), &second) == 0;
    if (haveFirst && haveSecond) return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    if (haveFirst || haveSecond) return false;
    std::error_code ec, ec2;
    const std::filesystem::path left = std::filesystem::weakly_canonical(std::filesystem::absolute(a, ec), ec);
    const std::filesystem::path right = std::filesystem::weakly_canonical(std::filesystem::absolute(b, ec2), ec2);
    return !ec && !ec2 && left == right;
}

// The refusal for the first output that is one of the inputs or an earlier output, as
// "--report 'a.bmp' is the input FRONT 'a.bmp'"; empty when every output is a file of its own.
inline std::string OutputClash(const std::vector<NamedPath>& outputs, const std::vector<NamedPath>& inputs) {
    for (std::size_t k = 0; k < outputs.size(); ++k) {
        const NamedPath& out = outputs[k];
        if (out.path.empty()) continue;
        for (const NamedPath& in : inputs)
            if (!in.path.empty() && NameOneFile(out.path, in.path))
                return out.what + " '" + out.path + "' is the input " + in.what + " '" + in.path + "'";
        for (std::size_t j = 0; j < k; ++j)
            if (!outputs[j].path.empty() && NameOneFile(out.path, outputs[j].path))
                return out.what + " '" + out.path + "' is also the output " + outputs[j].what + " '" + outputs[j].path +
                       "'";
    }
    return {};
}

}  // namespace calvix
