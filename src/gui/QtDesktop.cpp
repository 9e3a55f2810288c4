// Qt answers to the core's screen requests.
#include "gui/QtDesktop.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

#include "app/Strings.h"
#include "mainform/MainForm.h"
#include "gui/HelpBrowser.h"
#include "gui/MainWindow.h"
#include "gui/NameFilter.h"
#include "gui/QtTexts.h"
#include "gui/SplashWindow.h"

namespace calvix {

namespace {

// In normal mode the splash's log goes on showing the run's progress: the wizard stands beside
// it rather than over it, both centred together, when the screen is wide enough.
void PlaceBeside(QWidget& splash, QWidget& wizard) {
    const QScreen* screen = splash.screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    constexpr int kGap = 16;
    const QSize size = wizard.sizeHint();
    const int width = splash.width() + kGap + size.width();
    if (width > area.width()) return;
    const int left = area.left() + (area.width() - width) / 2;
    const int top = area.top() + (area.height() - std::max(splash.height(), size.height())) / 2;
    splash.move(left, top);
    wizard.move(left + splash.width() + kGap, top);
}

// The box's kind is known by its title, in whatever language the texts are in.
QMessageBox::Icon IconFor(const std::string& title, const TAppStrings* strings) {
    if (!strings) return QMessageBox::Warning;
    if (title == strings->MBoxTitleError.caption) return QMessageBox::Critical;
    if (title == strings->MBoxTitleHint.caption) return QMessageBox::Information;
    if (title == strings->MBoxTitleRequest.caption) return QMessageBox::Question;
    return QMessageBox::Warning;
}

}  // namespace

QtDesktop::~QtDesktop() { Detach(); }

void QtDesktop::Detach() {
    delete assistant_;
    delete splash_;
    splash_ = nullptr;
    if (core_) SetHelpFileSource({});
    window_ = nullptr;
    core_ = nullptr;
}

void QtDesktop::Attach(MainWindow* window, TMainFormular* core) {
    window_ = window;
    core_ = core;
    // F1 and the help commands open the help of the language in force.
    if (core) SetHelpFileSource([core] { return core->HelpFile(); });
}

MessageAnswer QtDesktop::ShowMessage(const std::string& text, const std::string& title, MessageButtons buttons) {
    if (core_) FollowLanguageInQtTexts(core_->textBase);
    QMessageBox box(Foreground());
    box.setObjectName("MessageBox");
    box.setIcon(IconFor(title, core_ ? core_->AppStrings() : nullptr));
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(QString::fromStdString(text));
    switch (buttons) {
        case MessageButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            box.exec();
            return MessageAnswer::Ok;
        case MessageButtons::YesNo:
            // Yes loses work: it is never what Return or Escape give.
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::No);
            box.setEscapeButton(QMessageBox::No);
            return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
        case MessageButtons::RetryQuit: {
            box.setStandardButtons(QMessageBox::Retry);
            const TAppStrings* strings = core_ ? core_->AppStrings() : nullptr;
            QPushButton* quit = box.addButton(QString::fromStdString(strings ? strings->LblQuit.caption : "Quit"),
                                              QMessageBox::RejectRole);
            quit->setObjectName("ButtonQuit");
            box.setDefaultButton(QMessageBox::Retry);
            box.setEscapeButton(quit);
            box.exec();
            return box.clickedButton() == box.button(QMessageBox::Retry) ? MessageAnswer::Retry : MessageAnswer::Cancel;
        }
        case MessageButtons::RetryCancel:
            break;
    }
    box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
    return box.exec() == QMessageBox::Retry ? MessageAnswer::Retry : MessageAnswer::Cancel;
}

// In normal mode the main window stays hidden: a box over it would stand at the screen's corner,
// away from the wizard or splash the operator is looking at. A box over a box stacks on it.
QWidget* QtDesktop::Foreground() const {
    QWidget* modal = QApplication::activeModalWidget();
    for (QWidget* candidate : {modal, static_cast<QWidget*>(assistant_.data()), static_cast<QWidget*>(window_),
                               static_cast<QWidget*>(splash_)}) {
        if (candidate && candidate->isVisible()) return candidate;
    }
    return nullptr;
}

std::optional<std::string> QtDesktop::OpenFileDialog(const FileDialogRequest& request) {
    if (core_) FollowLanguageInQtTexts(core_->textBase);
    QStringList filters;
    for (const std::string& f : request.filters) filters << QtNameFilter(f);
    QFileDialog dialog(Foreground(), QString::fromStdString(request.title));
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    if (!request.fileName.empty()) dialog.selectFile(QString::fromStdString(request.fileName));
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

void QtDesktop::SetStatusPanel(int panel, const std::string& text) {
    if (window_) window_->SetStatusPanel(panel, QString::fromStdString(text));
}

void QtDesktop::SetMainWindowTransparent(bool transparent) {
    if (!window_) return;
    // Not every desktop honours opacity (an X server without a compositor draws the window
    // anyway), so a transparent main window is also kept off the screen.
    window_->setWindowOpacity(transparent ? 0.0 : 1.0);
    window_->setVisible(!transparent);
}

void QtDesktop::SetBusyCursor(bool busy) {
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
}

void QtDesktop::ShowSplash() {
    if (!core_ || !core_->Splash()) return;
    delete splash_;
    splash_ = new SplashWindow(*core_->Splash());
    TMainFormular* core = core_;
    QObject::connect(splash_, &SplashWindow::ClosedByOperator, splash_, [core] { core->SplashWindowClosed(); });
    splash_->show();
}

void QtDesktop::CloseSplash() {
    if (splash_) splash_->hide();
}

void QtDesktop::ShowHelp(const std::string& helpFile, int helpContext) {
    QWidget* parent = Assistant() && Assistant()->isVisible() ? static_cast<QWidget*>(Assistant()) : window_;
    ShowHelpFile(parent, helpFile, helpContext);
}

void QtDesktop::ShowAssistant() {
    TFormAssistent* wizard = core_ ? core_->Assistent() : nullptr;
    if (!wizard) return;
    if (assistant_) {
        if (assistant_->Wizard() == wizard) {
            assistant_->show();
            assistant_->raise();
            return;
        }
        delete assistant_;
    }
    assistant_ = new AssistantDialog(*wizard, window_);
    // The wizard goes when the controller lets it go, outside the window's own slots; the
    // window follows once its events are done.
    QObject::connect(assistant_, &AssistantDialog::Detached, assistant_, &QObject::deleteLater);
    if (splash_ && splash_->isVisible()) PlaceBeside(*splash_, *assistant_);
    assistant_->show();
    assistant_->raise();
}

void QtDesktop::MainWindowClosed() {
    if (splash_) splash_->hide();
    if (assistant_) assistant_->hide();
    QApplication::quit();
}

}  // namespace calvix
