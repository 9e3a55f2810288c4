// Where the controller's steps may be running inside one another: a message box or a file
// dialog runs a nested event loop in which ticks and window events arrive. The controller
// hands this counting desktop to everything it owns, so a tick or a close knows whether the
// handler that opened the dialog is still on the stack.
#pragma once

#include "app/Desktop.h"

namespace calvix {

struct NestedLoops {
    int dialogs = 0;  // message boxes and file dialogs open now
};

// Forwards to the real desktop and counts the modal dialogs open.
class CountingDesktop final : public Desktop {
public:
    CountingDesktop(Desktop& inner, NestedLoops& loops) : inner_(inner), loops_(loops) {}

    MessageAnswer ShowMessage(const std::string& text, const std::string& title, MessageButtons buttons) override;
    std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override;
    void SetStatusPanel(int panel, const std::string& text) override { inner_.SetStatusPanel(panel, text); }
    void SetMainWindowTransparent(bool transparent) override { inner_.SetMainWindowTransparent(transparent); }
    void SetBusyCursor(bool busy) override { inner_.SetBusyCursor(busy); }
    void ShowSplash() override { inner_.ShowSplash(); }
    void CloseSplash() override { inner_.CloseSplash(); }
    void ShowAssistant() override { inner_.ShowAssistant(); }
    void ShowHelp(const std::string& helpFile, int helpContext) override { inner_.ShowHelp(helpFile, helpContext); }
    void MainWindowClosed() override { inner_.MainWindowClosed(); }

private:
    Desktop& inner_;
    NestedLoops& loops_;
};

}  // namespace calvix
