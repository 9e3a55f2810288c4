// The main window's menus and tool bar, the window arrangement commands, and F1: the help of
// the focused part of the window, or of the highlighted command in an open menu.
#include "gui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QToolBar>

#include <algorithm>

#include "app/StringTable.h"
#include "gui/HelpBrowser.h"
#include "gui/ImageWindow.h"
#include "gui/MdiTiling.h"
#include "gui/ToolPanel.h"
#include "mainform/MainForm.h"

namespace calvix {
namespace {

// Small pictures of the three arrangements: overlapping, one above the other, side by side.
QIcon ArrangeIcon(int kind) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(40, 40, 40));
    painter.setBrush(QColor(250, 250, 250));
    if (kind == 0) {
        painter.drawRect(1, 1, 9, 8);
        painter.drawRect(5, 6, 9, 8);
    } else if (kind == 1) {
        painter.drawRect(1, 1, 13, 6);
        painter.drawRect(1, 8, 13, 6);
    } else {
        painter.drawRect(1, 1, 6, 13);
        painter.drawRect(8, 1, 6, 13);
    }
    return QIcon(pixmap);
}

// The caption's text id rides on the menu or action, so a change of language finds it again.
constexpr const char* kTextId = "calvixTextId";

QMenu* NewMenu(QMenuBar* bar, const char* name, MainWindowTextId title) {
    QMenu* menu = bar->addMenu(QString::fromStdString(MainWindowText(TextBaseEnglish, title)));
    menu->menuAction()->setProperty(kTextId, static_cast<int>(title));
    menu->setObjectName(name);
    menu->setProperty("helpContext", HelpContextMainWindow);
    return menu;
}

}  // namespace

void MainWindow::ApplyLanguage(int textBase) {
    for (QAction* action : findChildren<QAction*>()) {
        const QVariant id = action->property(kTextId);
        if (id.isValid())
            action->setText(
                QString::fromStdString(MainWindowText(textBase, static_cast<MainWindowTextId>(id.toInt()))));
    }
    toolPanel_->ApplyLanguage(textBase);
    FitToolPanel();  // the captions' widths changed
}

QAction* MainWindow::AddCommand(QMenu* menu, const char* name, MainWindowTextId text, int helpContext,
                                const std::function<void(TMainFormular&)>& handler) {
    QAction* action = menu->addAction(QString::fromStdString(MainWindowText(TextBaseEnglish, text)));
    action->setProperty(kTextId, static_cast<int>(text));
    action->setObjectName(name);
    action->setProperty("helpContext", helpContext);
    connect(action, &QAction::triggered, this, [this, handler] { Act(handler); });
    return action;
}

void MainWindow::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu");
    QMenu* file = NewMenu(bar, "MMFile", MainTextMenuFile);
    QAction* open = AddCommand(file, "MMOpenFile", MainTextOpen, HelpContextFileCommands,
                               [](TMainFormular& core) { core.MMOpenFileClick(); });
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    QAction* close = AddCommand(file, "MMenuCloseFile", MainTextClose, HelpContextFileCommands,
                                [](TMainFormular& core) { core.MMenuCloseFileClick(); });
    QAction* assistent =
        AddCommand(file, "MMFileCalibrationAssistent", MainTextCalibrationAssistent, HelpContextMainWindow,
                   [](TMainFormular& core) { core.MMFileCalibrationAssistentClick(); });
    file->addSeparator();
    // The TWAIN commands exist for service work and stay hidden.
    AddCommand(file, "SelectTwainSource1", MainTextSelectTwainSource, HelpContextFileCommands, [](TMainFormular& core) {
        core.SelectTwainSource1Click();
    })->setVisible(false);
    AddCommand(file, "Acquire", MainTextAcquire, HelpContextFileCommands, [](TMainFormular& core) {
        core.AcquireClick();
    })->setVisible(false);
    file->addSeparator();
    QAction* quit = AddCommand(file, "FileExitApp", MainTextQuit, HelpContextFileCommands,
                               [this](TMainFormular&) { this->close(); });
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* view = NewMenu(bar, "MMView", MainTextMenuView);
    QAction* toolBar = AddCommand(view, "MMViewToolBar", MainTextToolBar, HelpContextViewCommands,
                                  [](TMainFormular& core) { core.MMViewToolBarClick(); });
    QAction* statusBar = AddCommand(view, "MMViewStatusBar", MainTextStatusBar, HelpContextViewCommands,
                                    [](TMainFormular& core) { core.MMViewStatusBarClick(); });
    toolBar->setCheckable(true);
    statusBar->setCheckable(true);

    QMenu* window = NewMenu(bar, "MMWindow", MainTextMenuWindow);
    AddCommand(window, "WindowCascade", MainTextCascade, HelpContextWindowCommands, [this](TMainFormular&) {
        Cascade();
    })->setIcon(ArrangeIcon(0));
    AddCommand(window, "WindowTileHorizontal", MainTextTileHorizontal, HelpContextWindowCommands,
               [this](TMainFormular&) { Tile(static_cast<int>(TileMode::Horizontal)); })
        ->setIcon(ArrangeIcon(1));
    AddCommand(window, "WindowTileVertical", MainTextTileVertical, HelpContextWindowCommands, [this](TMainFormular&) {
        Tile(static_cast<int>(TileMode::Vertical));
    })->setIcon(ArrangeIcon(2));

    QMenu* help = NewMenu(bar, "MMHelp", MainTextMenuHelp);
    AddCommand(help, "HelpContents", MainTextContents, HelpContextMainWindow, [this](TMainFormular&) {
        showHelp(HelpContentsContext);
    })->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    AddCommand(help, "MMHelpAbout", MainTextAbout, HelpContextMainWindow, [this](TMainFormular& core) {
        core.MMHelpAboutClick();
        showAbout();
    })->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));

    commands_ = {{open, &MainFormControls::openFile},
                 {close, &MainFormControls::closeFile},
                 {assistent, &MainFormControls::calibrationAssistent},
                 {toolBar, &MainFormControls::viewToolBar},
                 {statusBar, &MainFormControls::viewStatusBar}};
    for (QMenu* menu : {file, view, window, help}) menu->installEventFilter(this);

    auto* contextHelp = new QAction(this);
    contextHelp->setObjectName("ContextHelp");
    contextHelp->setShortcut(QKeySequence::HelpContents);
    connect(contextHelp, &QAction::triggered, this, [this] {
        QWidget* focus = QApplication::focusWidget();
        showHelp(HelpContextOf(focus ? static_cast<QObject*>(focus) : this));
    });
    addAction(contextHelp);
}

void MainWindow::BuildToolBar() {
    toolBar_ = addToolBar("ToolBarTop");
    toolBar_->setObjectName("ToolBarTop");
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    for (const char* name : {"WindowCascade", "WindowTileHorizontal", "WindowTileVertical"})
        toolBar_->addAction(findChild<QAction*>(name));
    toolBar_->addSeparator();
    for (const char* name : {"HelpContents", "MMHelpAbout"}) toolBar_->addAction(findChild<QAction*>(name));
    logoSeparator_ = toolBar_->addSeparator();
    logoSeparator_->setObjectName("ToolButtonLogoSeparator");
    logo_ = new QLabel("Zelmar   Calvix", toolBar_);
    logo_->setObjectName("LabelLogo");
    logo_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont font = logo_->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.4);
    logo_->setFont(font);
    toolBar_->addWidget(logo_);
}

// Before the tool bar is laid out (a window resized while hidden), or while a too wide logo has
// pushed the separator into the bar's overflow, the separator has no place yet: its right edge
// is then summed from the buttons in front of it.
int MainWindow::LogoSeparatorRight() const {
    if (!toolBar_) return 0;
    const QWidget* separator = toolBar_->widgetForAction(logoSeparator_);
    if (separator && separator->isVisible() && separator->x() > 0)
        return separator->mapTo(this, QPoint(separator->width(), 0)).x();
    const QLayout* layout = toolBar_->layout();
    int right = toolBar_->mapTo(this, QPoint(0, 0)).x() + (layout ? layout->contentsMargins().left() : 0);
    for (QAction* action : toolBar_->actions()) {
        const QWidget* widget = toolBar_->widgetForAction(action);
        if (widget) right += widget->sizeHint().width() + (layout ? layout->spacing() : 0);
        if (action == logoSeparator_) break;
    }
    return right;
}

void MainWindow::Tile(int mode) {
    std::vector<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : clientArea_->subWindowList(QMdiArea::StackingOrder)) {
        if (window->isVisible() && !window->isMinimized()) windows.push_back(window);
    }
    const QRect area(QPoint(0, 0), clientArea_->viewport()->size());
    const std::vector<QRect> rects = TileRects(area, static_cast<int>(windows.size()), static_cast<TileMode>(mode));
    for (std::size_t i = 0; i < windows.size(); ++i) {
        windows[i]->showNormal();
        windows[i]->setGeometry(rects[i]);
    }
}

// Qt's own cascade shrinks the windows to a fixed small size and lets a later one cover the
// title bar of the one before; this one steps by a whole title bar.
void MainWindow::Cascade() {
    std::vector<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : clientArea_->subWindowList(QMdiArea::StackingOrder)) {
        if (window->isVisible() && !window->isMinimized()) windows.push_back(window);
    }
    if (windows.empty()) return;
    // The title bar with the frame above it: where the window's picture begins.
    const QMdiSubWindow* first = windows.front();
    const int step = std::max(first->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, first),
                              first->widget() ? first->widget()->y() : 0);
    const QRect area(QPoint(0, 0), clientArea_->viewport()->size());
    const std::vector<QRect> rects = CascadeRects(area, static_cast<int>(windows.size()), step);
    for (std::size_t i = 0; i < windows.size(); ++i) {
        windows[i]->showNormal();
        windows[i]->setGeometry(rects[i]);
        windows[i]->raise();
    }
}

int MainWindow::HelpContextOf(const QObject* object) {
    for (const QObject* o = object; o != nullptr; o = o->parent()) {
        const QVariant context = o->property("helpContext");
        if (context.isValid() && context.toInt() > 0) return context.toInt();
    }
    return HelpContextMainWindow;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* menu = qobject_cast<QMenu*>(watched);
    if (menu && event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        const QAction* action = menu->activeAction();
        showHelp(action ? action->property("helpContext").toInt() : HelpContextOf(menu));
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace calvix
