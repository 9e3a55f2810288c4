// flock-based cross-process lock by name.
#include "platform/FlockNamedLock.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/XdgDirs.h"

namespace calvix {

FlockNamedLock::~FlockNamedLock() { Release(); }

std::string FlockNamedLock::LockPath(const std::string& name) {
    return XdgRuntimeDir() + "/" + name + ".lock";
}

bool FlockNamedLock::TryAcquire(const std::string& name) {
    if (fd_ >= 0) return true;
    const std::string path = LockPath(name);
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    // A lock file left in /tmp by another user opens read-only; flock works on that too.
    if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    // No lock file at all means exclusion cannot be had; reporting the interface as in use is
    // the safe side, since two tools on one service interface corrupt each other's exchanges.
    if (fd < 0) return false;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void FlockNamedLock::Release() {
    // Closing the only descriptor releases the flock.
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace calvix
