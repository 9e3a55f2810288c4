// The graph window ("Graph"): the plotting area (Image) painted from TGraphix's drawing
// commands, the margin strip (PaintBoxRight), the four axis labels and the popup menu
// "Scaling" with "1:1" and "fit window". They sit in a scroll area, so a 1:1 plot wider than
// the window can be scrolled to its end.
#pragma once

#include <QWidget>

class QAction;
class QLabel;
class QMenu;
class QScrollArea;

namespace calvix {

class TMainFormular;

class GraphWindow final : public QWidget {
    Q_OBJECT
public:
    // Where the plotting area starts from the top; the labels sit around it.
    static constexpr int PlotTop = 16;

    GraphWindow(TMainFormular& core, QWidget* parent);

    QMenu* PopupMenu() const { return popup_; }
    // Opens over the client area of the frame, no wider than it and inside the screen.
    void PlaceOver(const QWidget& area);
    // Places the plot and the labels where the core's layout puts them, and repaints.
    void Relayout();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Down to the x axis labels: fitting the width, the window still shows the whole height.
    int ContentHeight() const;

    TMainFormular& core_;
    QScrollArea* scroll_;
    QWidget* content_;
    QWidget* plot_;
    QWidget* strip_;
    QLabel* labelXL_;
    QLabel* labelXR_;
    QLabel* labelYL_;
    QLabel* labelYU_;
    QMenu* popup_;
    QAction* oneToOne_;
    QAction* fitWindow_;
};

}  // namespace calvix
