// The main window: a frame with the eight status-bar panels, driven by a 200 ms timer that runs
// the core's tick. Closing it runs the core's shut-down.
#pragma once

#include <QMainWindow>

class QLabel;
class QTimer;

namespace calvix {

class TMainFormular;

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int PanelCount = 8;

    MainWindow();
    void Bind(TMainFormular& core);
    void StartTimer();
    void SetStatusPanel(int panel, const QString& text);
    QString StatusPanelText(int panel) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    TMainFormular* core_ = nullptr;
    QTimer* timer_;
    QLabel* panels_[PanelCount];
};

}  // namespace calvix
