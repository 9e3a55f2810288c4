// A Desktop that records the message boxes it was asked to show and answers OK.
#pragma once

#include "app/Desktop.h"

#include <string>
#include <vector>

namespace calvix::test {

class RecordingDesktop final : public Desktop {
public:
    struct Message {
        std::string text;
        std::string title;
        MessageButtons buttons;
    };
    std::vector<Message> messages;

    MessageAnswer ShowMessage(const std::string& text, const std::string& title, MessageButtons buttons) override {
        messages.push_back({text, title, buttons});
        return MessageAnswer::Ok;
    }
    std::optional<std::string> OpenFileDialog(const FileDialogRequest&) override { return std::nullopt; }
    void SetStatusPanel(int, const std::string&) override {}
    void SetMainWindowTransparent(bool) override {}
    void SetBusyCursor(bool) override {}
    void ShowSplash() override {}
    void CloseSplash() override {}
    void MainWindowClosed() override {}
};

}  // namespace calvix::test
