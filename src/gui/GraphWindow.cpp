// Graph window: every repaint of the plot or the strip runs "Show graph" first, so the plot
// always shows the tables as they are now.
#include "gui/GraphWindow.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

#include "gui/DrawListPainter.h"
#include "mainform/MainForm.h"

namespace calvix {
namespace {

// Two margins and a plot still worth looking at.
constexpr int kMinimumWidth = 2 * TGraphix::DefaultPlotLeft + 200;

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
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName("GraphScroll");
    scroll_->setFrameShape(QFrame::NoFrame);
    content_ = new QWidget;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll_);
    plot_ = new GraphArea(core, "Image", true, content_);
    strip_ = new GraphArea(core, "PaintBoxRight", false, content_);
    labelXL_ = AxisLabel("LabelXL", "0", content_);
    labelXR_ = AxisLabel("LabelXR", "1024", content_);
    labelYL_ = AxisLabel("LabelYL", "0", content_);
    labelYU_ = AxisLabel("LabelYU", "255", content_);
    scroll_->setWidget(content_);

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

    // Room for the plot's height and, at 1:1, the scroll bar under it.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    setMinimumSize(kMinimumWidth, ContentHeight() + bar);
    if (TGraphix* graph = core_.Graph()) {
        graph->SetLabelXRWidth(labelXR_->width());
        resize(graph->ClientWidth(), std::max(graph->ClientHeight(), minimumHeight()));
    }
    Relayout();
}

int GraphWindow::ContentHeight() const { return PlotTop + TGraphix::PlotHeight + 1 + 2 + labelXL_->height() + 4; }

void GraphWindow::PlaceOver(const QWidget& area) {
    QRect place(QPoint(0, 0), size().boundedTo(area.size()).expandedTo(minimumSize()));
    // Centred where it fits; otherwise from the area's top left, never over the menus above it.
    const QPoint areaTopLeft = area.mapToGlobal(QPoint(0, 0));
    place.moveCenter(area.mapToGlobal(area.rect().center()));
    place.moveTopLeft(QPoint(std::max(place.left(), areaTopLeft.x()), std::max(place.top(), areaTopLeft.y())));
    if (const QScreen* screen = area.screen()) {
        const QRect available = screen->availableGeometry();
        place.moveLeft(std::clamp(place.left(), available.left(), std::max(available.right() - place.width(), available.left())));
        place.moveTop(std::clamp(place.top(), available.top(), std::max(available.bottom() - place.height(), available.top())));
    }
    resize(place.size());
    move(place.topLeft());
}

void GraphWindow::Relayout() {
    TGraphix* graph = core_.Graph();
    if (!graph) return;
    const int left = graph->PlotLeft();
    const int bottom = PlotTop + TGraphix::PlotHeight + 1;
    // Fitting the window, the content is as wide as the window; at 1:1 as wide as the plot.
    const int contentWidth = left + graph->PlotWidth() + graph->PaintBoxRightWidth();
    content_->resize(contentWidth, ContentHeight());
    plot_->setGeometry(left, PlotTop, graph->PlotWidth(), TGraphix::PlotHeight + 1);
    strip_->setGeometry(contentWidth - graph->PaintBoxRightWidth(), 0, graph->PaintBoxRightWidth(), content_->height());
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
