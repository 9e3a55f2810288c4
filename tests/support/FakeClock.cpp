// FakeClock: sleeping moves time on at once.
#include "FakeClock.h"

namespace calvix::test {

void FakeClock::SleepMs(int ms) {
    ++sleeps;
    if (ms > 0) {
        sleptMs += ms;
        elapsedMs += ms;
    }
}

}  // namespace calvix::test
