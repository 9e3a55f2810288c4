// Helpers of the IT8 reference tests: a scripted desktop (queued file-dialog answers, a record
// of every dialog and message box), a log capture, and paths of the IT8 test data.
#pragma once

#include "LogCapture.h"

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

// A small reference with the complete grey wedge a calibration load asks for; GS0's X value
// is the marker that tells which file was loaded.
inline std::string WedgeReference(int marker, const std::string& lineEnd = "\r\n") {
    std::string text = "NUMBER_OF_FIELDS 4" + lineEnd + "BEGIN_DATA_FORMAT SAMPLE_ID XYZ_X XYZ_Y XYZ_Z" + lineEnd +
                       "END_DATA_FORMAT" + lineEnd + "BEGIN_DATA" + lineEnd;
    for (int n = 0; n < 24; ++n) {
        const int y = 80 - 3 * n;
        text += "GS" + std::to_string(n) + " " + std::to_string(n == 0 ? marker : y) + " " + std::to_string(y) + " " +
                std::to_string(y - y / 5) + lineEnd;
    }
    return text + "END_DATA" + lineEnd;
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
    void ShowAssistant() override {}
    void MainWindowClosed() override {}
    void ShowHelp(const std::string&, int) override {}
};

}  // namespace calvix::test
