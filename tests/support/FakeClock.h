// A Clock that tests move by hand; SleepMs advances it instead of waiting.
#pragma once

#include "app/Clock.h"

namespace calvix::test {

class FakeClock final : public Clock {
public:
    std::int64_t elapsedMs = 0;
    CivilTime local{2026, 12, 7, 10, 30, 15};
    CivilTime utc{2026, 12, 7, 9, 30, 15};
    int sleeps = 0;
    std::int64_t sleptMs = 0;

    std::int64_t ElapsedMs() const override { return elapsedMs; }
    void SleepMs(int ms) override;
    CivilTime LocalNow() const override { return local; }
    CivilTime UtcNow() const override { return utc; }
};

}  // namespace calvix::test
