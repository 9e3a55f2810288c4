// Qt answers to the core's screen requests.
#include "gui/QtDesktop.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QFileDialog>
#include <QMessageBox>

#include "mainform/MainForm.h"
#include "gui/MainWindow.h"
#include "gui/SplashWindow.h"

namespace calvix {

QtDesktop::~QtDesktop() { delete splash_; }

void QtDesktop::Attach(MainWindow* window, TMainFormular* core) {
    window_ = window;
    core_ = core;
}

MessageAnswer QtDesktop::ShowMessage(const std::string& text, const std::string& title, MessageButtons buttons) {
    QMessageBox box(window_);
    box.setObjectName("MessageBox");
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(QString::fromStdString(text));
    if (buttons == MessageButtons::Ok) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return MessageAnswer::Ok;
    }
    box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
    return box.exec() == QMessageBox::Retry ? MessageAnswer::Retry : MessageAnswer::Cancel;
}

std::optional<std::string> QtDesktop::OpenFileDialog(const FileDialogRequest& request) {
    QStringList filters;
    for (const std::string& f : request.filters) {
        const auto bar = f.find('|');
        filters << QString::fromStdString(bar == std::string::npos ? f : f.substr(0, bar) + " (" + f.substr(bar + 1) + ")");
    }
    QFileDialog dialog(window_, QString::fromStdString(request.title));
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
    if (window_) window_->setWindowOpacity(transparent ? 0.0 : 1.0);
}

void QtDesktop::SetBusyCursor(bool busy) {
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
}

void QtDesktop::ShowSplash() {
    if (!core_ || !core_->Splash()) return;
    delete splash_;
    splash_ = new SplashWindow(*core_->Splash());
    splash_->show();
}

void QtDesktop::CloseSplash() {
    if (splash_) splash_->hide();
}

void QtDesktop::MainWindowClosed() {
    if (splash_) splash_->hide();
    QApplication::quit();
}

void QtDesktop::ShowHelp(const std::string& helpFile, int) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(helpFile)));
}

}  // namespace calvix
