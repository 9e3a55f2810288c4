// A stop signal ends the blocking call it lands in, instead of letting the call wait on.
#include "platform/StopSignals.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace calvix {
namespace {

TEST(StopSignals, EndTheBlockingCallTheyLandInAndAreSeen) {
    for (const int signal : {SIGINT, SIGTERM}) {
        InstallStopSignals();
        EXPECT_FALSE(StopRequested());
        int pipeEnds[2];
        ASSERT_EQ(::pipe(pipeEnds), 0);
        const pthread_t reader = ::pthread_self();
        std::atomic<bool> returned{false};
        // Signals until the read returns; a read that restarts after them is ended, two seconds
        // on, by a byte instead.
        std::thread sender([&] {
            for (int i = 0; i < 40 && !returned; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                if (!returned) ::pthread_kill(reader, signal);
            }
            if (!returned) {
                EXPECT_EQ(::write(pipeEnds[1], "x", 1), 1);
            }
        });
        char byte = 0;
        const ssize_t n = ::read(pipeEnds[0], &byte, 1);
        const int code = errno;
        returned = true;
        sender.join();
        EXPECT_EQ(n, -1) << "the read went on after signal " << signal;
        EXPECT_EQ(code, EINTR);
        EXPECT_TRUE(StopRequested());
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
    }
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

}  // namespace
}  // namespace calvix
