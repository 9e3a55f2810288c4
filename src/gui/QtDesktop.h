// The Desktop port over Qt: modal message boxes and file dialogs, status-bar panels, the main
// window's transparency, the splash window, the wizard's window and the help browser.
#pragma once

#include <QPointer>

#include <functional>

#include "app/Desktop.h"
#include "gui/AssistantDialog.h"

class QWidget;

namespace calvix {

class MainWindow;
class SplashWindow;
class TMainFormular;

class QtDesktop final : public Desktop {
public:
    QtDesktop() = default;
    ~QtDesktop() override;

    // The windows exist only after the core is built; until then nothing is drawn.
    void Attach(MainWindow* window, TMainFormular* core);
    // Before the core goes: the windows that draw its forms go first, and nothing more reaches
    // the core or the main window.
    void Detach();

    MessageAnswer ShowMessage(const std::string& text, const std::string& title, MessageButtons buttons) override;
    std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override;
    void SetStatusPanel(int panel, const std::string& text) override;
    void SetMainWindowTransparent(bool transparent) override;
    void SetBusyCursor(bool busy) override;
    void ShowSplash() override;
    void CloseSplash() override;
    void ShowAssistant() override;
    void MainWindowClosed() override;
    void ShowHelp(const std::string& helpFile, int helpContext) override;

    SplashWindow* Splash() const { return splash_; }
    // The wizard's window while it has a wizard.
    AssistantDialog* Assistant() const { return assistant_ && assistant_->Wizard() ? assistant_.data() : nullptr; }

private:
    // The visible window the operator is looking at, which modal boxes and dialogs stand over.
    QWidget* Foreground() const;

    MainWindow* window_ = nullptr;
    TMainFormular* core_ = nullptr;
    SplashWindow* splash_ = nullptr;
    QPointer<AssistantDialog> assistant_;
};

}  // namespace calvix
