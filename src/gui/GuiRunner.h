// Runs Calvix with its Qt windows: builds the Qt desktop, the core and the main window, and
// runs Qt's message loop until the main window closes.
#pragma once

namespace calvix {

class NamedLock;
class SystemInfo;
class UserStore;

// ticks >= 0 closes the main window after that many ticks (unattended runs).
int RunGui(int argc, char** argv, SystemInfo& system, UserStore& store, NamedLock& serviceLock, int ticks);

}  // namespace calvix
