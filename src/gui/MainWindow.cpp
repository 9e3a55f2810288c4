// The main frame: status-bar panels of the fixed widths, the tick timer, the close event.
#include "gui/MainWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

#include "mainform/MainForm.h"

namespace calvix {

namespace {
// Panel widths left to right; panel 0 takes what the others leave.
constexpr int kPanelWidths[MainWindow::PanelCount] = {0, 50, 40, 40, 20, 100, 100, 30};
}  // namespace

MainWindow::MainWindow() {
    setObjectName("MainFormular");
    setWindowTitle("Calvix");
    resize(1024, 720);
    statusBar()->setObjectName("StatusBar");
    for (int i = 0; i < PanelCount; ++i) {
        panels_[i] = new QLabel(this);
        panels_[i]->setObjectName(QString("StatusPanel%1").arg(i));
        if (kPanelWidths[i] > 0) panels_[i]->setFixedWidth(kPanelWidths[i]);
        statusBar()->addPermanentWidget(panels_[i], i == 0 ? 1 : 0);
    }
    panels_[1]->setText("Size: ");
    timer_ = new QTimer(this);
    timer_->setObjectName("Timer");
    timer_->setInterval(200);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (core_) core_->TimerTimer();
    });
}

void MainWindow::Bind(TMainFormular& core) { core_ = &core; }
void MainWindow::StartTimer() { timer_->start(); }

void MainWindow::SetStatusPanel(int panel, const QString& text) {
    if (panel >= 0 && panel < PanelCount) panels_[panel]->setText(text);
}

QString MainWindow::StatusPanelText(int panel) const {
    return panel >= 0 && panel < PanelCount ? panels_[panel]->text() : QString();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    timer_->stop();
    if (core_) core_->Close();
    event->accept();
}

}  // namespace calvix
