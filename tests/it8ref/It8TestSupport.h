// Helpers of the IT8 reference tests: a scripted desktop (queued file-dialog answers, a record
// of every dialog and message box), a log capture, and paths of the IT8 test data.
#pragma once

#include "app/Desktop.h"
#include "app/FormStatus.h"
#include "TestData.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace calvix::test {

inline std::string It8Data(const std::string& name) {
    return std::string(CALVIX_TEST_DATA_DIR) + "/it8/" + name;
}

struct ShownMessage {
    std::string text;
    std::string title;
    MessageButtons buttons;
};

class ScriptedDesktop : public Desktop {
public:
    // Each OpenFileDialog takes the next answer; nothing queued means cancel.
    std::deque<std::optional<std::string>> dialogAnswers;
    std::vector<FileDialogRequest> dialogs;
    std::vector<ShownMessage> messages;

    MessageAnswer ShowMessage(const std::string& text, const std::string& title,
                              MessageButtons buttons) override {
        messages.push_back({text, title, buttons});
        return MessageAnswer::Ok;
    }
    std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override {
        dialogs.push_back(request);
        if (dialogAnswers.empty()) return std::nullopt;
        std::optional<std::string> answer = dialogAnswers.front();
        dialogAnswers.pop_front();
        return answer;
    }
    void SetStatusPanel(int, const std::string&) override {}
    void SetMainWindowTransparent(bool) override {}
    void SetBusyCursor(bool) override {}
    void ShowSplash() override {}
    void CloseSplash() override {}
    void MainWindowClosed() override {}
};

// Every category on, nothing echoed; the log buffer starts empty apart from its header.
class LogCapture {
public:
    LogCapture() {
        LogWriter.SetEcho(false);
        LogWriter.ResetForTest();
        LogWriter.SetActive(true);
        LogWriter.SetLevel(0);
        LogWriter.Categories().vcl = true;
    }
    ~LogCapture() {
        LogWriter.ResetForTest();
        LogWriter.SetEcho(true);
    }

    bool Contains(const std::string& piece) const {
        const auto& lines = LogWriter.Buffer();
        return std::any_of(lines.begin(), lines.end(),
                           [&piece](const std::string& line) { return line.find(piece) != std::string::npos; });
    }
};

}  // namespace calvix::test
