// SIGINT and SIGTERM as a stop request the program polls. The handlers are installed without
// SA_RESTART, so a system call that waits (an open of a FIFO, a read of a pipe or a socket)
// returns EINTR instead of waiting on after the signal; its caller fails and the program ends.
#pragma once

namespace calvix {

// Installs the handlers for both signals; the request is cleared.
void InstallStopSignals();

// True once SIGINT or SIGTERM arrived after InstallStopSignals.
bool StopRequested();

}  // namespace calvix
