// The main frame's construction, its window events and Sync. Image windows follow the core:
// a window the core closed is cut loose at once (its frame reads nothing more from it) and
// taken away at the next Sync; a window the core opened gets its frame at the next Sync.
#include "gui/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include <algorithm>

#include "gui/AboutDialog.h"
#include "gui/GraphWindow.h"
#include "gui/HelpBrowser.h"
#include "gui/ImageWindow.h"
#include "gui/PanelStatusBar.h"
#include "gui/QtTexts.h"
#include "gui/ToolPanel.h"
#include "gui/ViewDisplays.h"
#include "mainform/MainForm.h"

namespace calvix {
namespace {

// Title bar and borders of a decorated window, which the screen's free area must hold too.
constexpr QSize kFrameAllowance{8, 32};
// Panel 1 shows its designed text "Size: " for good.
constexpr int kFixedTextPanel = 1;

}  // namespace

MainWindow::MainWindow() {
    setObjectName("MainFormular");
    setWindowTitle("Calvix");
    setProperty("helpContext", HelpContextMainWindow);
    setContextMenuPolicy(Qt::NoContextMenu);  // the bars are shown and hidden by the View menu only
    // Within the screen's free area, less the frame the window manager adds.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect free = screen->availableGeometry();
        const WindowSize size =
            MainWindowSize(free.width() - kFrameAllowance.width(), free.height() - kFrameAllowance.height());
        resize(size.width, size.height);
        if (size.width < DesignedMainWindowSize.width || size.height < DesignedMainWindowSize.height)
            move(free.topLeft());
    } else {
        resize(DesignedMainWindowSize.width, DesignedMainWindowSize.height);
    }

    splitterToolTab_ = new QSplitter(Qt::Horizontal, this);
    splitterToolTab_->setObjectName("SplitterToolTab");
    splitterToolTab_->setChildrenCollapsible(false);
    clientArea_ = new QMdiArea(splitterToolTab_);
    clientArea_->setObjectName("ClientArea");
    clientArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    clientArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    toolPanel_ = new ToolPanel(splitterToolTab_);
    toolPanel_->tabsChanged = [this] { FitToolPanel(); };
    splitterToolTab_->addWidget(clientArea_);
    splitterToolTab_->addWidget(toolPanel_);
    splitterToolTab_->setStretchFactor(0, 1);
    splitterToolTab_->setStretchFactor(1, 0);
    FitToolPanel();
    setCentralWidget(splitterToolTab_);

    statusBar_ = new PanelStatusBar(this);
    setStatusBar(statusBar_);
    BuildMenus();
    BuildToolBar();

    timer_ = new QTimer(this);
    timer_->setObjectName("Timer");
    timer_->setInterval(200);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (!core_) return;
        // In normal mode the core closes from a tick; no tick belongs under its shut-down.
        if (core_->ShuttingDown()) {
            timer_->stop();
            return;
        }
        core_->TimerTimer();
        Sync();
    });
    connect(clientArea_, &QMdiArea::subWindowActivated, this, &MainWindow::SubWindowActivated);
    connect(splitterToolTab_, &QSplitter::splitterMoved, this, [this](int pos, int) {
        panelSizedByHand_ = true;
        Act([pos](TMainFormular& core) { core.SplitterToolTabMoved(pos); });
    });
    connect(toolPanel_->UpperSplitter(), &QSplitter::splitterMoved, this,
            [this](int pos, int) { Act([pos](TMainFormular& core) { core.SplitterToolbarUpperMoved(pos); }); });

    showHelp = [this](int context) { ShowHelp(this, context); };
    showAbout = [this] {
        if (core_) ShowAboutDialog(this, *core_);
    };
}

// Taking the children down must reach neither the core nor this half-destroyed frame.
MainWindow::~MainWindow() {
    clientArea_->disconnect(this);
    for (const QPointer<ImageWindow>& w : images_) {
        if (w) w->Detach();
    }
    if (core_) core_->imageWindowsChanged = nullptr;
    core_ = nullptr;
}

void MainWindow::Bind(TMainFormular& core) {
    core_ = &core;
    core.imageWindowsChanged = [this](TChildImage* current) { ImageWindowsChanged(current); };
    toolPanel_->Bind(core, [this] { AfterToolAction(); }, [this] { ShowGraphWindow(); });
    toolPanel_->Overview()->acted = [this] { Sync(); };
    toolPanel_->Zoom()->acted = [this] { Sync(); };
    core.Views().SetZoomSize({toolPanel_->Zoom()->width(), toolPanel_->Zoom()->height()});
    core.Views().SetOverviewSize({toolPanel_->Overview()->width(), toolPanel_->Overview()->height()});
    if (core.ChildImage()) pending_.push_back(core.ChildImage());
    core.FormResize(width(), LogoSeparatorRight());
    Sync();
}

void MainWindow::StartTimer() { timer_->start(); }

void MainWindow::SetStatusPanel(int panel, const QString& text) { statusBar_->SetPanelText(panel, text); }
QString MainWindow::StatusPanelText(int panel) const { return statusBar_->PanelText(panel); }

void MainWindow::Act(const std::function<void(TMainFormular&)>& handler) {
    if (!core_) return;
    handler(*core_);
    Sync();
}

// The page controls may draw into pictures (raster, corners, colours): show them anew.
void MainWindow::AfterToolAction() {
    for (ImageWindow* window : ImageWindows()) window->RefreshPicture();
    Sync();
}

void MainWindow::ScheduleSync() {
    if (syncQueued_) return;
    syncQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            syncQueued_ = false;
            Sync();
        },
        Qt::QueuedConnection);
}

void MainWindow::Sync() {
    if (!core_) return;
    if (syncing_) {
        ScheduleSync();
        return;
    }
    syncing_ = true;
    if (core_->textBase != shownTextBase_) {
        shownTextBase_ = core_->textBase;
        ApplyLanguage(shownTextBase_);
        // Qt's own texts (standard buttons, context menus) in the same language.
        FollowLanguageInQtTexts(shownTextBase_);
    }
    const MainFormControls& c = core_->controls;
    for (const CommandBinding& b : commands_) {
        const CommandState& s = c.*b.state;
        b.action->setEnabled(s.enabled);
        b.action->setVisible(s.visible);
        if (b.action->isCheckable()) b.action->setChecked(s.checked);
    }
    if (toolBar_->isVisibleTo(this) != c.toolBarVisible) toolBar_->setVisible(c.toolBarVisible);
    if (statusBar_->isVisibleTo(this) != c.statusBarVisible) statusBar_->setVisible(c.statusBarVisible);
    statusBar_->SetPanel0Width(core_->statusPanel0Width);
    for (int i = 0; i < PanelCount; ++i) {
        if (i != kFixedTextPanel) statusBar_->SetPanelText(i, QString::fromStdString(core_->StatusPanel(i)));
    }
    logo_->setFixedWidth(std::max(core_->labelLogoWidth, 0));
    toolPanel_->Sync();
    SyncImageWindows();
    toolPanel_->Zoom()->update();
    toolPanel_->Overview()->update();
    if (core_->graphOpen && !graph_) ShowGraphWindow();
    if (!core_->graphOpen && graph_) graph_->close();
    syncing_ = false;
}

std::vector<ImageWindow*> MainWindow::ImageWindows() const {
    std::vector<ImageWindow*> windows;
    for (const QPointer<ImageWindow>& w : images_) {
        if (w && w->Window()) windows.push_back(w);
    }
    return windows;
}

GraphWindow* MainWindow::Graph() const { return graph_; }

ImageWindow* MainWindow::Find(const TChildImage* window) const {
    for (const QPointer<ImageWindow>& w : images_) {
        if (w && w->Window() == window) return w;
    }
    return nullptr;
}

// Runs inside the core's own calls: nothing here may call back into the core.
void MainWindow::ImageWindowsChanged(TChildImage* current) {
    for (const QPointer<ImageWindow>& w : images_) {
        if (w && w->Window() && !core_->Images().Contains(w->Window())) w->Detach();
    }
    std::erase_if(pending_, [this](TChildImage* p) { return !core_->Images().Contains(p); });
    if (current && !Find(current) && std::find(pending_.begin(), pending_.end(), current) == pending_.end())
        pending_.push_back(current);
    ScheduleSync();
}

void MainWindow::SyncImageWindows() {
    followingCore_ = true;
    for (QPointer<ImageWindow>& w : images_) {
        if (w && !w->Window()) {
            clientArea_->removeSubWindow(w);
            w->deleteLater();
            w = nullptr;
        }
    }
    std::erase_if(images_, [](const QPointer<ImageWindow>& w) { return w.isNull(); });
    std::vector<TChildImage*> pending;
    pending.swap(pending_);
    for (TChildImage* window : pending) {
        if (core_->Images().Contains(window) && !Find(window)) AddImageWindow(*window);
    }
    if (ImageWindow* current = Find(core_->ChildImage()); current && clientArea_->activeSubWindow() != current)
        clientArea_->setActiveSubWindow(current);
    for (ImageWindow* window : ImageWindows()) window->SyncFromCore();
    followingCore_ = false;
}

void MainWindow::AddImageWindow(TChildImage& window) {
    auto* frame = new ImageWindow(*core_, window);
    frame->acted = [this] { Sync(); };
    images_.push_back(frame);
    clientArea_->addSubWindow(frame);
    // As large as the picture, but no larger than three quarters of the client area. The size
    // is given before the frame is shown: its first size places the zoom centre.
    const QSize area = clientArea_->viewport()->size() * 3 / 4;
    const QSize picture(std::min(window.image.Width(), area.width()), std::min(window.image.Height(), area.height()));
    const int edge = frame->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, frame);
    const int title = frame->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, frame);
    frame->resize(picture + QSize(2 * edge, title + edge));
    frame->show();
    const QSize border = frame->size() - frame->widget()->size();
    frame->resize(picture + border);
}

void MainWindow::SubWindowActivated(QMdiSubWindow* window) {
    if (followingCore_ || !core_ || window == nullptr) return;
    auto* frame = qobject_cast<ImageWindow*>(window);
    if (!frame || !frame->Window() || frame->Window() == core_->ChildImage()) return;
    Act([frame](TMainFormular& core) { core.Images().Activate(*frame->Window()); });
}

void MainWindow::ShowGraphWindow() {
    if (!core_ || !core_->graphOpen) return;
    if (!graph_) {
        graph_ = new GraphWindow(*core_, this);
        graph_->PlaceOver(*clientArea_);
        graph_->show();
    }
    graph_->Relayout();
    graph_->raise();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (core_) core_->Close();
    // Asked during a message box, the core closes at the tick after its answer.
    if (core_ && !core_->ShuttingDown()) {
        event->ignore();
        return;
    }
    timer_->stop();
    event->accept();
}

void MainWindow::FitToolPanel() {
    if (panelSizedByHand_) return;
    const int panel = ToolPanelWidth(width(), toolPanel_->TabsWidth());
    toolPanel_->setMaximumWidth(std::max(ToolPanelMaxWidth, panel));
    splitterToolTab_->setSizes({width() - panel, panel});
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FitToolPanel();
    Act([this](TMainFormular& core) { core.FormResize(width(), LogoSeparatorRight()); });
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (core_) core_->FormShow();
    // The logo's width follows from where the laid-out tool bar ends.
    QTimer::singleShot(0, this, [this] { Act([this](TMainFormular& core) { core.FormResize(width(), LogoSeparatorRight()); }); });
}

void MainWindow::paintEvent(QPaintEvent* event) {
    if (core_) core_->FormPaint();
    QMainWindow::paintEvent(event);
}

}  // namespace calvix
