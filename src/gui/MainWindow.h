// The main window: a multiple-document frame with the menus File / View / Window / Help, the
// tool bar ToolBarTop, the tool panel with its pages and the zoom and overview displays, and
// the eight status-bar panels, driven by a 200 ms timer that runs the core's tick. It draws the
// core's state and hands every command and window event to the core's handler.
#pragma once

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <vector>

#include "mainform/MainWindowTexts.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSplitter;
class QTimer;
class QToolBar;

namespace calvix {

class GraphWindow;
class ImageWindow;
class PanelStatusBar;
class TChildImage;
class TMainFormular;
class ToolPanel;
struct CommandState;
struct MainFormControls;

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int PanelCount = 8;

    MainWindow();
    ~MainWindow() override;
    void Bind(TMainFormular& core);
    void StartTimer();
    void SetStatusPanel(int panel, const QString& text);
    QString StatusPanelText(int panel) const;

    // Draws the core's state: commands, bars, pages, panels, image windows, the graph window.
    void Sync();

    QMdiArea* ClientArea() const { return clientArea_; }
    std::vector<ImageWindow*> ImageWindows() const;
    GraphWindow* Graph() const;
    // The help context F1 opens for a widget: its own, else that of the nearest parent.
    static int HelpContextOf(const QObject* object);

    // The windows this frame opens but does not own; tests may watch them.
    std::function<void(int helpContext)> showHelp;
    std::function<void()> showAbout;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A menu command whose enabled, visible and ticked state lives in MainFormControls.
    struct CommandBinding {
        QAction* action;
        CommandState MainFormControls::*state;
    };

    void BuildMenus();
    // Menus and tabs in the language of the text base (Sync calls it when the base changed).
    void ApplyLanguage(int textBase);
    int shownTextBase_ = -1;
    // The tool panel's share of the width (see ToolPanelWidth) until the operator moves the splitter.
    void FitToolPanel();
    bool panelSizedByHand_ = false;
    void BuildToolBar();
    QAction* AddCommand(QMenu* menu, const char* name, MainWindowTextId text, int helpContext,
                        const std::function<void(TMainFormular&)>& handler);
    void Act(const std::function<void(TMainFormular&)>& handler);
    void AfterToolAction();
    void ScheduleSync();
    void ImageWindowsChanged(TChildImage* current);
    void SyncImageWindows();
    void AddImageWindow(TChildImage& window);
    ImageWindow* Find(const TChildImage* window) const;
    void SubWindowActivated(QMdiSubWindow* window);
    void Tile(int mode);
    void Cascade();
    void ShowGraphWindow();
    int LogoSeparatorRight() const;

    TMainFormular* core_ = nullptr;
    QTimer* timer_;
    QMdiArea* clientArea_;
    QSplitter* splitterToolTab_;
    ToolPanel* toolPanel_;
    PanelStatusBar* statusBar_;
    QToolBar* toolBar_ = nullptr;
    QAction* logoSeparator_ = nullptr;
    QLabel* logo_ = nullptr;
    std::vector<CommandBinding> commands_;
    std::vector<QPointer<ImageWindow>> images_;
    std::vector<TChildImage*> pending_;  // became current before their frame exists
    QPointer<GraphWindow> graph_;
    bool syncing_ = false;
    bool syncQueued_ = false;
    bool followingCore_ = false;  // frame changes made to follow the core, not the operator's
};

}  // namespace calvix
