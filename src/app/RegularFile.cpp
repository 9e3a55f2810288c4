// The file is opened without blocking (a FIFO without a writer would otherwise hold the open
// forever), checked by its open descriptor (no race with a rename), then made blocking again.
#include "app/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace calvix {

std::FILE* OpenRegularFile(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        error = std::strerror(errno);
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? "is a folder, not a file" : "not a regular file";
        ::close(fd);
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    std::FILE* file = nullptr;
    if (flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0) file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        error = std::strerror(errno);
        ::close(fd);
    }
    return file;
}

std::string ReplaceTargetProblem(const std::string& path) {
    struct stat info {};
    // stat follows a link, so a link is judged by what it names; a dangling one names nothing.
    if (::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode)) return {};
    return S_ISDIR(info.st_mode) ? "is a folder, not a file" : "not a regular file (a device, FIFO or socket)";
}

}  // namespace calvix
