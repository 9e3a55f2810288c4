// The headless desktop's scripted answers.
#include "platform/HeadlessDesktop.h"

namespace calvix {

MessageAnswer HeadlessDesktop::ShowMessage(const std::string& text, const std::string& title,
                                           MessageButtons buttons) {
    MessageAnswer answer = buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Retry;
    if (!messageAnswers.empty()) {
        answer = messageAnswers.front();
        messageAnswers.pop_front();
    } else if (decide) {
        answer = decide(text, buttons);
    }
    messages.push_back({text, title, buttons, answer});
    if (onMessage) onMessage(messages.back());
    return answer;
}

std::optional<std::string> HeadlessDesktop::OpenFileDialog(const FileDialogRequest& request) {
    fileDialogs.push_back(request);
    if (fileDialogAnswers.empty()) return std::nullopt;
    auto answer = fileDialogAnswers.front();
    fileDialogAnswers.pop_front();
    return answer;
}

void HeadlessDesktop::SetStatusPanel(int panel, const std::string& text) {
    if (panel >= 0 && panel < 8) statusPanels[panel] = text;
}

}  // namespace calvix
