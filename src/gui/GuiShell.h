// The program's windows and its core, owned in the order they must go: the windows before the
// core objects they draw (the splash and wizard windows unhook themselves from the core's forms
// as they close), the core before the desktop it calls.
#pragma once

#include <memory>

#include "gui/MainWindow.h"
#include "gui/QtDesktop.h"
#include "mainform/MainForm.h"

namespace calvix {

class GuiShell {
public:
    GuiShell();
    ~GuiShell();
    GuiShell(const GuiShell&) = delete;
    GuiShell& operator=(const GuiShell&) = delete;

    // Builds the core over ports whose desktop is this shell's, then binds the windows to it;
    // may raise from the core's settings read, and then no core exists.
    TMainFormular& Build(MainFormPorts ports);

    // Declared in the order of building; they go in reverse.
    QtDesktop desktop;

private:
    std::unique_ptr<TMainFormular> core_;

public:
    MainWindow window;
};

}  // namespace calvix
