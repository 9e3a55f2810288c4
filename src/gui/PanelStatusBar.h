// The status bar with its eight panels at fixed widths, left to right. Panel 0 gets the width
// the main window computes for it; a bar too narrow for all of them clips those on the right.
#pragma once

#include <QStatusBar>

class QLabel;

namespace calvix {

class PanelStatusBar final : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int PanelCount = 8;

    explicit PanelStatusBar(QWidget* parent);
    void SetPanelText(int panel, const QString& text);
    QString PanelText(int panel) const;
    // A negative width counts as none.
    void SetPanel0Width(int width);
    QLabel* Panel(int panel) const { return panels_[panel]; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Place();

    QLabel* panels_[PanelCount];
    int panel0Width_ = 0;
};

}  // namespace calvix
