// File types in words.
#include "app/FileKind.h"

#include <sys/stat.h>

namespace calvix {

std::string NotRegularFileKind(mode_t mode, bool viaLink) {
    const char* kind = S_ISREG(mode)    ? nullptr
                       : S_ISDIR(mode)  ? "a folder"
                       : S_ISFIFO(mode) ? "a FIFO"
                       : S_ISCHR(mode)  ? "a character device"
                       : S_ISBLK(mode)  ? "a block device"
                       : S_ISSOCK(mode) ? "a socket"
                                        : "not a plain file";
    if (kind == nullptr) return {};
    return (viaLink ? std::string("a link to ") : std::string()) + kind;
}

std::string PathKindProblem(const std::string& path) {
    struct stat own {};
    if (::lstat(path.c_str(), &own) != 0) return {};
    const bool link = S_ISLNK(own.st_mode);
    struct stat target {};
    if (link && ::stat(path.c_str(), &target) != 0) return "a link to nothing";
    return NotRegularFileKind(link ? target.st_mode : own.st_mode, link);
}

}  // namespace calvix
