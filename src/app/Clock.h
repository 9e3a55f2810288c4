// The Clock port: elapsed milliseconds since process start, sleeping, wall-clock time.
// Tests inject a fake so that no test waits for real.
#pragma once

#include <cstdint>

namespace calvix {

struct CivilTime {
    int year = 1970;
    int month = 1;  // 1-12
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t ElapsedMs() const = 0;
    virtual void SleepMs(int ms) = 0;
    virtual CivilTime LocalNow() const = 0;
    virtual CivilTime UtcNow() const = 0;
};

// The process clock over std::chrono; one instance serves the whole process.
Clock& SystemClock();

}  // namespace calvix
