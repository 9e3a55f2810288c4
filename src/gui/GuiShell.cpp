// Builds the core between the desktop and the windows, and takes the windows down first.
#include "gui/GuiShell.h"

namespace calvix {

GuiShell::GuiShell() { desktop.Attach(&window, nullptr); }

// The members then go in reverse: the main window while the core is still there, the core,
// the desktop.
GuiShell::~GuiShell() { desktop.Detach(); }

TMainFormular& GuiShell::Build(MainFormPorts ports) {
    core_ = std::make_unique<TMainFormular>(std::move(ports));
    core_->CreateAppStrings();
    desktop.Attach(&window, core_.get());
    window.Bind(*core_);
    return *core_;
}

}  // namespace calvix
