// The splash window: the Zelmar Calvix banner, the version label and the log list of the core's
// TFormSplash (shown in normal mode only, where it is the operator's view of the run).
#pragma once

#include <QWidget>

class QLabel;
class QListWidget;

namespace calvix {

class TFormSplash;

class SplashWindow final : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(TFormSplash& splash);
    ~SplashWindow() override;

signals:
    // The operator closed the window (the core hides it by itself, without this).
    void ClosedByOperator();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Refresh();
    TFormSplash& splash_;
    QLabel* version_;
    QListWidget* list_;
};

}  // namespace calvix
