// Runs Calvix with its Qt windows: builds the Qt desktop, the core and the main window, and
// runs Qt's message loop until the main window closes.
#pragma once

#include <functional>

namespace calvix {

class MainWindow;
class NamedLock;
class QtDesktop;
class SystemInfo;
class TMainFormular;
class UserStore;

// What a scripted walk through the windows (the screenshots) is handed once they are built.
struct GuiSession {
    MainWindow& window;
    QtDesktop& desktop;
    TMainFormular& core;
};

// ticks >= 0 closes the main window after that many ticks (unattended runs).
int RunGui(int argc, char** argv, SystemInfo& system, UserStore& store, NamedLock& serviceLock, int ticks,
           const std::function<void(GuiSession&)>& started = {});

}  // namespace calvix
