// Graph window: every repaint of the plot or the strip runs "Show graph" first, so the plot
// always shows the tables as they are now.
#include "gui/GraphWindow.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>

#include "gui/DrawListPainter.h"
#include "mainform/MainForm.h"

namespace calvix {
namespace {

class GraphArea final : public QWidget {
public:
    GraphArea(TMainFormular& core, const char* name, bool plot, QWidget* parent)
        : QWidget(parent), core_(core), plot_(plot) {
        setObjectName(name);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), plot_ ? Qt::white : palette().window().color());
        // A repaint after the close must not open the graph again.
        if (!core_.graphOpen) return;
        core_.ShowGraph();
        if (plot_) PaintDrawList(painter, core_.Graph()->Picture(), nullptr);
    }

private:
    TMainFormular& core_;
    bool plot_;
};

QLabel* AxisLabel(const char* name, const char* text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->adjustSize();
    return label;
}

}  // namespace

GraphWindow::GraphWindow(TMainFormular& core, QWidget* parent) : QWidget(parent, Qt::Window), core_(core) {
    setObjectName("Graphix");
    setWindowTitle(TGraphix::Caption);
    setAttribute(Qt::WA_DeleteOnClose);
    plot_ = new GraphArea(core, "Image", true, this);
    strip_ = new GraphArea(core, "PaintBoxRight", false, this);
    labelXL_ = AxisLabel("LabelXL", "0", this);
    labelXR_ = AxisLabel("LabelXR", "1024", this);
    labelYL_ = AxisLabel("LabelYL", "0", this);
    labelYU_ = AxisLabel("LabelYU", "255", this);

    popup_ = new QMenu(this);
    popup_->setObjectName("PopupMenuGraph");
    popup_->addSection("Scaling");
    auto* group = new QActionGroup(popup_);
    oneToOne_ = popup_->addAction("1:1");
    oneToOne_->setObjectName("PupMenuGraph121");
    fitWindow_ = popup_->addAction("fit window");
    fitWindow_->setObjectName("PupMenGraphFitWin");
    for (QAction* action : {oneToOne_, fitWindow_}) {
        action->setCheckable(true);
        group->addAction(action);
    }
    connect(oneToOne_, &QAction::triggered, this, [this] {
        if (core_.Graph()) core_.Graph()->PupMenuGraph121Click();
        Relayout();
    });
    connect(fitWindow_, &QAction::triggered, this, [this] {
        if (core_.Graph()) core_.Graph()->PupMenGraphFitWinClick();
        Relayout();
    });

    if (TGraphix* graph = core_.Graph()) {
        graph->SetLabelXRWidth(labelXR_->width());
        resize(graph->ClientWidth(), graph->ClientHeight());
    }
    Relayout();
}

void GraphWindow::Relayout() {
    TGraphix* graph = core_.Graph();
    if (!graph) return;
    const int left = graph->PlotLeft();
    const int bottom = PlotTop + TGraphix::PlotHeight + 1;
    plot_->setGeometry(left, PlotTop, graph->PlotWidth(), TGraphix::PlotHeight + 1);
    strip_->setGeometry(width() - graph->PaintBoxRightWidth(), 0, graph->PaintBoxRightWidth(), height());
    labelYU_->move(left - labelYU_->width() - 4, PlotTop - labelYU_->height() / 2);
    labelYL_->move(left - labelYL_->width() - 4, bottom - labelYL_->height() / 2);
    labelXL_->move(left - labelXL_->width() / 2, bottom + 2);
    labelXR_->move(graph->LabelXRLeft(), bottom + 2);
    oneToOne_->setChecked(graph->Scaling() == GraphScaling::OneToOne);
    fitWindow_->setChecked(graph->Scaling() == GraphScaling::FitWindow);
    plot_->update();
}

void GraphWindow::resizeEvent(QResizeEvent*) {
    if (TGraphix* graph = core_.Graph()) graph->FormResize(width(), height());
    Relayout();
}

void GraphWindow::closeEvent(QCloseEvent* event) {
    core_.GraphFormClose();
    event->accept();
}

void GraphWindow::contextMenuEvent(QContextMenuEvent* event) { popup_->popup(event->globalPos()); }

}  // namespace calvix
