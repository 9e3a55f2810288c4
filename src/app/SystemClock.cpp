// The process clock: steady milliseconds since the process started, and wall-clock time.
#include "app/Clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace calvix {
namespace {

CivilTime FromTm(const std::tm& t) {
    return CivilTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

class ProcessClock final : public Clock {
public:
    ProcessClock() : start_(std::chrono::steady_clock::now()) {}
    std::int64_t ElapsedMs() const override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_)
            .count();
    }
    void SleepMs(int ms) override {
        if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    CivilTime LocalNow() const override {
        const std::time_t now = std::time(nullptr);
        std::tm t{};
        localtime_r(&now, &t);
        return FromTm(t);
    }
    CivilTime UtcNow() const override {
        const std::time_t now = std::time(nullptr);
        std::tm t{};
        gmtime_r(&now, &t);
        return FromTm(t);
    }

private:
    std::chrono::steady_clock::time_point start_;
};

}  // namespace

Clock& SystemClock() {
    static ProcessClock clock;
    return clock;
}

}  // namespace calvix
