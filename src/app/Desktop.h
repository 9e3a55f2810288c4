// The Desktop port: what the core asks of the screen. Qt implements it for the windows, the
// headless desktop for tests and unattended runs (scripted answers, a record of what was shown).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace calvix {

// RetryQuit: Retry, or give up (answered Cancel); YesNo: a question whose Yes loses work.
enum class MessageButtons { Ok, RetryCancel, RetryQuit, YesNo };
enum class MessageAnswer { Ok, Retry, Cancel, Yes, No };

struct FileDialogRequest {
    std::string title;
    std::vector<std::string> filters;  // "Label|pattern" entries, e.g. "ASCII Text|*.txt"
    int filterIndex = 1;               // 1-based, as the dialog shows them
    std::string defaultExtension;
    std::string fileName;              // preset file-name field, e.g. "R*.txt"
};

// The help context of the help file's contents page.
inline constexpr int HelpContentsPage = 0;

class Desktop {
public:
    virtual ~Desktop() = default;

    // Modal message box; returns the button the operator pressed.
    virtual MessageAnswer ShowMessage(const std::string& text, const std::string& title,
                                      MessageButtons buttons) = 0;
    // Modal file-open dialog; the chosen path, or nothing when cancelled.
    virtual std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) = 0;

    virtual void SetStatusPanel(int panel, const std::string& text) = 0;
    virtual void SetMainWindowTransparent(bool transparent) = 0;
    virtual void SetBusyCursor(bool busy) = 0;

    // The splash window was created, or closed by the core.
    virtual void ShowSplash() = 0;
    virtual void CloseSplash() = 0;
    // The calibration wizard was created (the controller's Assistent()); show it, modeless. The
    // wizard tells its view when it goes (TFormAssistent::destroyed).
    virtual void ShowAssistant() = 0;

    // The help of the language in force (the main window's help file) at a help context;
    // HelpContentsPage is the contents page.
    virtual void ShowHelp(const std::string& helpFile, int helpContext) = 0;

    // The core finished its shut-down; the desktop ends the message loop.
    virtual void MainWindowClosed() = 0;
};

}  // namespace calvix
