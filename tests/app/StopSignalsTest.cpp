// A stop signal is seen, and ends the waiting call it lands in: without SA_RESTART the call
// returns EINTR instead of waiting on (a FIFO's open, a pipe's read).
#include "platform/StopSignals.h"

#include <gtest/gtest.h>

#include <csignal>

TEST(StopSignals, AreSeenAndDoNotRestartTheCallTheyInterrupt) {
    calvix::InstallStopSignals();
    EXPECT_FALSE(calvix::StopRequested());
    for (const int signal : {SIGINT, SIGTERM}) {
        struct sigaction action {};
        ASSERT_EQ(::sigaction(signal, nullptr, &action), 0);
        EXPECT_NE(action.sa_handler, SIG_DFL);
        EXPECT_EQ(action.sa_flags & SA_RESTART, 0) << signal;
    }
    ::raise(SIGTERM);
    EXPECT_TRUE(calvix::StopRequested());
    std::signal(SIGINT, SIG_DFL), std::signal(SIGTERM, SIG_DFL);
}
