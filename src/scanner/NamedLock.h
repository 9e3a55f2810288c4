// The NamedLock port: a lock by name that excludes other processes, such as the maker's
// support tool, from the scanner's service interface while this program runs.
#pragma once

#include <string>

namespace calvix {

// The name the support tool and this program agree on.
inline constexpr const char* kServiceLockName = "ZelmarHelvaneTraceMutex";

class NamedLock {
public:
    virtual ~NamedLock() = default;
    // Takes the lock without waiting; false when another process holds it. Taking a lock this
    // object already holds succeeds.
    virtual bool TryAcquire(const std::string& name) = 0;
    // Gives the lock up (the process ending gives it up too).
    virtual void Release() = 0;
};

}  // namespace calvix
