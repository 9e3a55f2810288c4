// The calibration wizard's window: draws a TFormAssistent (its seven pages, captions, enabled
// buttons, list, progress) and hands every click, the close box and the 200 ms warm-up timer
// back to it. The wizard is owned by the controller; the window only refers to it.
#pragma once

#include <QDialog>

#include <utility>
#include <vector>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTimer;

namespace calvix {

class TFormAssistent;
struct FormComponent;
struct WizardButton;

class AssistantDialog final : public QDialog {
    Q_OBJECT
public:
    AssistantDialog(TFormAssistent& wizard, QWidget* parent);
    ~AssistantDialog() override;

    // The wizard goes away: no call reaches it from now on. Runs on the wizard's `destroyed`.
    void Detach();
    TFormAssistent* Wizard() const { return wizard_; }

signals:
    void Detached();

public slots:
    // Escape would close the dialog without telling the wizard; only the close box closes.
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* BuildPage(int state);
    enum class LabelStyle { Title, Caption, Text };
    QLabel* AddLabel(const FormComponent& component, const char* name, LabelStyle style);
    QPushButton* AddButton(const WizardButton& button, const char* name, void (TFormAssistent::*handler)());
    // Runs one of the wizard's handlers; while it runs (a scan waits in a nested event loop),
    // the window takes no further action but Abort and the close box.
    template <typename Handler>
    void Run(Handler handler);
    void Refresh();
    void RefreshList();
    void ListSelectionChanged();

    TFormAssistent* wizard_;
    QStackedWidget* pages_;
    QListWidget* list_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* seconds_ = nullptr;
    QLabel* scanResults_[2] = {nullptr, nullptr};  // front, rear
    std::vector<std::pair<const FormComponent*, QLabel*>> labels_;
    std::vector<std::pair<const WizardButton*, QPushButton*>> buttons_;
    QTimer* timer_;
    bool busy_ = false;
    bool refreshing_ = false;
};

}  // namespace calvix
