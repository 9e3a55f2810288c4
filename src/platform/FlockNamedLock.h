// The NamedLock port as an exclusive flock on <runtime dir>/<name>.lock, where the runtime
// dir is $XDG_RUNTIME_DIR, else /tmp. The kernel drops the lock when the process ends.
#pragma once

#include "scanner/NamedLock.h"

namespace calvix {

class FlockNamedLock final : public NamedLock {
public:
    ~FlockNamedLock() override;
    bool TryAcquire(const std::string& name) override;
    void Release() override;

    // The lock file's path for a name.
    static std::string LockPath(const std::string& name);

private:
    int fd_ = -1;
};

}  // namespace calvix
