// The headless Desktop: scripted answers to message boxes and file dialogs, and a record of
// everything shown, for tests and unattended runs.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/Desktop.h"

namespace calvix {

class HeadlessDesktop final : public Desktop {
public:
    struct Message {
        std::string text;
        std::string title;
        MessageButtons buttons;
        MessageAnswer answer;
    };

    // Answers given in order; when none is queued, `decide` answers, else OK, Retry of
    // RetryCancel, Quit (Cancel) of RetryQuit, No of YesNo.
    std::deque<MessageAnswer> messageAnswers;
    std::function<MessageAnswer(const std::string& text, MessageButtons buttons)> decide;
    // Paths (or nothing, for Cancel) given to file dialogs in order; empty queue = Cancel.
    std::deque<std::optional<std::string>> fileDialogAnswers;

    std::vector<Message> messages;
    std::vector<FileDialogRequest> fileDialogs;
    std::string statusPanels[8];
    bool transparent = true;
    bool busy = false;
    bool splashShown = false;
    int assistantShown = 0;
    bool mainWindowClosed = false;
    // Called for every message box, e.g. to echo it to a terminal.
    std::function<void(const Message&)> onMessage;

    MessageAnswer ShowMessage(const std::string& text, const std::string& title, MessageButtons buttons) override;
    std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override;
    void SetStatusPanel(int panel, const std::string& text) override;
    void SetMainWindowTransparent(bool value) override { transparent = value; }
    void SetBusyCursor(bool value) override { busy = value; }
    void ShowSplash() override { splashShown = true; }
    void CloseSplash() override { splashShown = false; }
    void ShowAssistant() override { ++assistantShown; }
    void MainWindowClosed() override { mainWindowClosed = true; }
    void ShowHelp(const std::string& helpFile, int helpContext) override { helpShown.push_back({helpFile, helpContext}); }

    struct HelpRequest {
        std::string helpFile;
        int helpContext = 0;
    };
    std::vector<HelpRequest> helpShown;
};

}  // namespace calvix
