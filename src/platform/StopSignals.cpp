// The stop request by signal, with sigaction (std::signal restarts an interrupted call on glibc).
#include "platform/StopSignals.h"

#include <csignal>
#include <initializer_list>

namespace calvix {

namespace {

volatile std::sig_atomic_t g_stopRequested = 0;

void OnStopSignal(int) { g_stopRequested = 1; }

}  // namespace

void InstallStopSignals() {
    g_stopRequested = 0;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    for (const int signal : {SIGINT, SIGTERM}) ::sigaction(signal, &action, nullptr);
}

bool StopRequested() { return g_stopRequested != 0; }

}  // namespace calvix
