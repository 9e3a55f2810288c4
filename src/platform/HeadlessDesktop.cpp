// The headless desktop's scripted answers.
#include "platform/HeadlessDesktop.h"

namespace calvix {

MessageAnswer HeadlessDesktop::ShowMessage(const std::string& text, const std::string& title,
                                           MessageButtons buttons) {
    // Unscripted, a box that would repeat its step until it works gives up, and a question
    // whose Yes loses work is answered No.
    MessageAnswer answer = MessageAnswer::Retry;
    if (buttons == MessageButtons::Ok) answer = MessageAnswer::Ok;
    if (buttons == MessageButtons::RetryQuit) answer = MessageAnswer::Cancel;
    if (buttons == MessageButtons::YesNo) answer = MessageAnswer::No;
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
