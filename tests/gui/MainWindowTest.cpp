// The main window, image windows and graph window against the real core, offscreen. Widgets are
// found by their component names; message boxes and file dialogs are answered by script.
#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSplitter>
#include <QTableWidget>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QtTest/QtTest>

#include <functional>
#include <memory>

#include "ChartColours.h"
#include "ChartRenderer.h"
#include "FakeClock.h"
#include "LogCapture.h"
#include "MemoryUserStore.h"
#include "TempDir.h"
#include "analysis/BmpWriter.h"
#include "gui/DrawListPainter.h"
#include "gui/GraphWindow.h"
#include "gui/ImageWindow.h"
#include "gui/MainWindow.h"
#include "gui/MdiTiling.h"
#include "gui/ToolPanel.h"
#include "mainform/MainForm.h"
#include "mainform/MainWindowLayout.h"
#include "platform/FlockNamedLock.h"
#include "platform/HeadlessDesktop.h"
#include "platform/LinuxSystemInfo.h"

using namespace calvix;

namespace {

constexpr const char* kKey = "Software\\Zelmar GmbH\\Calvix";

// A main window bound to a core with a private data folder and scripted dialogs. The core
// outlives the window that draws it, as in the program.
struct Rig {
    explicit Rig(bool expert = true, bool searchScanner = false, bool shown = true) {
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.File("data")));
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(dir.Path()));
        store.keys[kKey]["ExpertMode"] = expert ? 1 : 0;
        store.keys[kKey]["SearchScanner"] = searchScanner ? 1 : 0;
        window.showHelp = [this](int context) { helpShown.push_back(context); };
        window.showAbout = [this] { ++aboutShown; };
        if (shown) window.show();
        core = std::make_unique<TMainFormular>(MainFormPorts{desktop, store, system, clock, nullptr, nullptr, std::string()});
        core->CreateAppStrings();
        window.Bind(*core);
    }

    // A picture whose pixel (x, y) has red x, green y, blue 77, saved as a BMP.
    std::string Picture(const std::string& name, int w = 300, int h = 200) {
        ScanBitmap bitmap(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) bitmap.SetPixel(x, y, MakeColour(x, y, 77));
        const std::string path = dir.File(name);
        std::string error;
        if (!SaveBmpFile(bitmap, path, error)) qFatal("cannot write %s", path.c_str());
        return path;
    }
    ImageWindow* Open(const std::string& path) {
        core->OpenImageFile(path);
        Settle();
        const auto frames = window.ImageWindows();
        return frames.empty() ? nullptr : frames.back();
    }
    // Lets the queued follow-ups of the windows run.
    static void Settle() { QCoreApplication::processEvents(); }
    template <typename T>
    T* Find(const char* name) const {
        return window.findChild<T*>(name);
    }
    QAction* Action(const char* name) const { return Find<QAction>(name); }

    test::TempDir dir;
    test::MemoryUserStore store;
    LinuxSystemInfo system;
    test::FakeClock clock;
    HeadlessDesktop desktop;
    std::unique_ptr<TMainFormular> core;
    MainWindow window;
    std::vector<int> helpShown;
    int aboutShown = 0;
};

void SendMouse(QWidget* target, QEvent::Type type, QPoint at) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease || type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        LogWriter.SetEcho(false);
        QApplication::setQuitOnLastWindowClosed(false);
    }

    // In the set-corners mode the click that brings the program, or an image window, to the
    // front sets no corner; the next one does.
    void aClickThatActivatesSetsNoCorner() {
        Rig rig;
        ImageWindow* frame = rig.Open(rig.Picture("a.bmp"));
        rig.core->TTabButtonSetMarkerClick();
        auto click = [&](int at) {
            for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) SendMouse(frame->View()->viewport(), type, {at, at});
        };
        QApplication::setActiveWindow(nullptr);
        click(20);
        QApplication::setActiveWindow(&rig.window);
        rig.Open(rig.Picture("b.bmp"));
        rig.window.ClientArea()->setActiveSubWindow(frame);
        click(25);
        QCOMPARE(frame->Window()->cornerSlots[2], NotFound);
        click(30);
        QCOMPARE(frame->Window()->cornerSlots[2], (Point{30, 30}));
    }

    // Each command reaches what its handler changes; a fresh window per command.
    void menuCommandsReachTheirHandlers() {
        struct Row {
            const char* command;
            std::function<void(Rig&)> before;
            std::function<bool(Rig&)> after;
        };
        const Row rows[] = {
            {"MMOpenFile",
             [](Rig& r) { r.desktop.fileDialogAnswers.push_back(r.Picture("a.bmp")); },
             [](Rig& r) {
                 return r.core->imageCount == 1 && r.desktop.fileDialogs.back().title == "Open Image" &&
                        r.window.ImageWindows().size() == 1 && r.Action("MMenuCloseFile")->isEnabled();
             }},
            {"MMenuCloseFile", [](Rig& r) { r.Open(r.Picture("a.bmp")); },
             [](Rig& r) {
                 return r.core->imageCount == 0 && r.window.ImageWindows().empty() &&
                        !r.Action("MMenuCloseFile")->isEnabled();
             }},
            {"MMFileCalibrationAssistent",
             [](Rig& r) {
                 r.core->controls.calibrationAssistent.enabled = true;
                 r.window.Sync();
             },
             [](Rig& r) { return r.core->Assistent() && r.desktop.assistantShown == 1; }},
            {"FileExitApp", nullptr, [](Rig& r) { return r.core->Closed() && r.desktop.mainWindowClosed; }},
            {"MMViewToolBar", nullptr,
             [](Rig& r) {
                 return !r.core->controls.toolBarVisible && r.Find<QToolBar>("ToolBarTop")->isHidden() &&
                        !r.Action("MMViewToolBar")->isChecked();
             }},
            {"MMViewStatusBar", nullptr,
             [](Rig& r) {
                 return !r.core->controls.statusBarVisible && r.Find<QWidget>("StatusBar")->isHidden() &&
                        !r.Action("MMViewStatusBar")->isChecked();
             }},
            {"HelpContents", nullptr, [](Rig& r) { return r.helpShown == std::vector<int>{0}; }},
            {"MMHelpAbout", nullptr, [](Rig& r) {
                 const auto& log = LogWriter.Buffer();  // traced, and the window opened
                 return r.aboutShown == 1 && log.back().find("'TMainFormular::MMHelpAboutClick()'") != std::string::npos;
             }},
        };
        for (const Row& row : rows) {
            Rig rig;
            if (row.before) row.before(rig);
            QAction* action = rig.Action(row.command);
            QVERIFY2(action && action->isEnabled(), row.command);
            action->trigger();
            Rig::Settle();
            QVERIFY2(row.after(rig), row.command);
        }
    }

    void windowCommandsArrangeTheImageWindows() {
        Rig rig;
        rig.Open(rig.Picture("a.bmp"));
        rig.Open(rig.Picture("b.bmp"));
        const QSize area = rig.window.ClientArea()->viewport()->size();
        rig.Action("WindowTileHorizontal")->trigger();
        for (ImageWindow* w : rig.window.ImageWindows()) QCOMPARE(w->width(), area.width());
        rig.Action("WindowTileVertical")->trigger();
        for (ImageWindow* w : rig.window.ImageWindows()) QCOMPARE(w->height(), area.height());
        rig.Action("WindowCascade")->trigger();
        // Both as large as the cascade leaves them, the upper one's title bar below the lower's.
        const auto stack = rig.window.ClientArea()->subWindowList(QMdiArea::StackingOrder);
        QVERIFY(stack[0]->size() == stack[1]->size() && stack[0]->width() >= area.width() / 2 && stack[0]->height() >= area.height() / 2);
        QVERIFY(stack[1]->y() - stack[0]->y() >= stack[0]->widget()->y() && stack[1]->x() > stack[0]->x());
    }

    void tilingSharesTheAreaWithoutGaps() {
        const struct {
            TileMode mode;
            int count;
            std::vector<QRect> rects;
        } rows[] = {
            {TileMode::Horizontal, 3, {QRect(0, 0, 300, 33), QRect(0, 33, 300, 33), QRect(0, 66, 300, 34)}},
            {TileMode::Vertical, 2, {QRect(0, 0, 150, 100), QRect(150, 0, 150, 100)}},
            {TileMode::Vertical, 0, {}},
        };
        for (const auto& row : rows) QCOMPARE(TileRects(QRect(0, 0, 300, 100), row.count, row.mode), row.rects);
    }

    void closeWithoutImageOnlyDisablesItself() {
        Rig rig;
        rig.core->controls.closeFile.enabled = true;
        rig.window.Sync();
        const std::size_t logged = LogWriter.Buffer().size();
        rig.Action("MMenuCloseFile")->trigger();
        QVERIFY(!rig.Action("MMenuCloseFile")->isEnabled());
        QCOMPARE(rig.core->imageCount, 0);
        QCOMPARE(LogWriter.Buffer().size(), logged);
    }

    void openCommandHiddenOnlyWhenScannerSearchedInNormalMode() {
        const struct {
            bool searchScanner, expert, visible;
        } rows[] = {{true, false, false}, {true, true, true}, {false, false, true}, {false, true, true}};
        for (const auto& row : rows) {
            Rig rig(row.expert, row.searchScanner);
            QCOMPARE(rig.Action("MMOpenFile")->isVisible(), row.visible);
            QCOMPARE(rig.Action("MMOpenFile")->shortcut(), QKeySequence("Ctrl+O"));
            QCOMPARE(!rig.Find<QGroupBox>("GroupBoxIT8Params")->isHidden(), row.expert);
        }
    }

    // The tool panel takes its share of a wider window, and shows every tab.
    void toolPanelWidensWithTheWindowAndShowsEveryTab() {
        Rig rig;
        auto* panel = static_cast<ToolPanel*>(rig.Find<QWidget>("PanelTools"));
        auto* tabs = rig.Find<QTabWidget>("ToolTab")->tabBar();
        for (const int width : {1024, 1280}) {
            rig.window.resize(width, 720), QCoreApplication::processEvents();
            QCOMPARE(panel->width(), std::max(width / 3, panel->TabsWidth()));
            QVERIFY2(tabs->tabRect(tabs->count() - 1).right() <= tabs->width(), "a tab behind the scroll arrows");
        }
    }

    void pagesCarryTheirControlsHiddenOnesHidden() {
        Rig rig;
        auto* tab = rig.Find<QTabWidget>("ToolTab");
        QVERIFY(tab);
        QStringList titles;
        for (int i = 0; i < tab->count(); ++i) titles << tab->tabText(i);
        QCOMPARE(titles, QStringList({"&Info", "&Settings", "&Zoom", "&IT8 Chart", "&Quality"}));
        const struct {
            const char* name;
            bool visible;
        } rows[] = {
            {"MemoTTabInfo", true}, {"CheckBoxDragFullWindows", true}, {"TTabCheckBoxTopdown", true},
            {"CheckBoxTTabSettingsLoadLastFile", true}, {"ComboBoxLanguageSelector", true},
            {"CheckBoxTTabSetLogError", true}, {"CheckBoxTTabSetLogVcl", true}, {"CheckBoxKnow", false},
            {"TTabSettingsCheckBoxDoublebuffering", false}, {"TTabCheckBoxKeepAspect", false},
            {"CheckBoxTTabIT8ShowRaster", false}, {"TrackBarZoom", true}, {"TTabZoomCheckBoxShowRaster", true},
            {"TTabZoomLabelCenterR", true}, {"TTabZoomLabelCenterRegB", true}, {"TTabIT8SpeedButtonSetCorner", true},
            {"TTabButtonSetAuto", true}, {"LabelIT8CUL", false}, {"SpeedButtonStore", true},
            {"SpeedButtonShowGraph", true}, {"ImageZoom", true}, {"Overview", true}, {"SplitterToolTab", true},
            {"SplitterToolbarUpper", true}, {"PanelTools", true}, {"LabelLogo", true},
        };
        for (const auto& row : rows) {
            auto* widget = rig.Find<QWidget>(row.name);
            QVERIFY2(widget, row.name);
            QVERIFY2(widget->isHidden() != row.visible, row.name);  // pages not in front are hidden as a whole
        }
        for (const char* hidden : {"SelectTwainSource1", "Acquire"}) QVERIFY2(!rig.Action(hidden)->isVisible(), hidden);
        QCOMPARE(rig.Find<QLabel>("LabelLogo")->text(), QString("Zelmar   Calvix"));
        QCOMPARE(rig.Action("FileExitApp")->shortcut(), QKeySequence("Ctrl+Q"));
        // The window can be 800 x 600 (the pages scroll rather than squeeze their controls), and
        // a long reference path does not widen the IT8 page (it is shortened in the middle).
        rig.window.resize(800, 600);
        rig.core->referenceOptions().ShowLoadedReference("/usr/share/calvix/references/" + std::string(40, 'x') + "/R130114.txt");
        rig.window.Sync();
        Rig::Settle();
        QCOMPARE(rig.window.size(), QSize(800, 600));
        QVERIFY(rig.Find<QLabel>("LabelTTabIT8ProfilPath")->minimumSizeHint().width() < tab->width() / 2);
    }

    // The program binds its window while it is hidden and shows it later: the logo then still
    // ends its margin short of the window's right edge, in the tool bar and not in its overflow.
    void logoFitsWhenFirstShownAfterBinding() {
        Rig rig(true, false, false);
        rig.window.resize(900, 600);
        rig.window.show();
        QTRY_VERIFY(rig.Find<QLabel>("LabelLogo")->isVisible());
        auto* logo = rig.Find<QLabel>("LabelLogo");
        const int right = logo->mapTo(&rig.window, QPoint(logo->width(), 0)).x();
        QVERIFY2(right <= rig.window.width() - LogoRightMargin + 2, qPrintable(QString::number(right)));
        QVERIFY2(right >= rig.window.width() - LogoRightMargin - 20, qPrintable(QString::number(right)));
        QCOMPARE(rig.core->labelLogoWidth, logo->width());
    }

    void pageControlsHandTheirStateToTheCore() {
        Rig rig;
        const struct {
            const char* name;
            std::function<void(QWidget*)> operate;
            std::function<bool(TMainFormular&)> reached;
        } rows[] = {
            {"CheckBoxTTabSetLogVcl", [](QWidget* w) { static_cast<QAbstractButton*>(w)->click(); },
             [](TMainFormular& core) { return core.controls.vcl.checked && LogWriter.Categories().vcl; }},
            {"CheckBoxTTabSettingsLoadLastFile", [](QWidget* w) { static_cast<QAbstractButton*>(w)->click(); },
             [](TMainFormular& core) { return core.controls.loadLastFileOnStartup.checked; }},
            {"TTabZoomCheckBoxShowRaster", [](QWidget* w) { static_cast<QAbstractButton*>(w)->click(); },
             [](TMainFormular& core) { return core.Views().controls.showRaster.checked; }},
            {"TrackBarZoom", [](QWidget* w) { static_cast<QSlider*>(w)->setValue(12); },
             [](TMainFormular& core) { return core.Views().controls.lblZoomfactor == "  x12"; }},
            {"TrackBarTTabIT8WhiteAdaption", [](QWidget* w) { static_cast<QSlider*>(w)->setValue(3); },
             [](TMainFormular& core) { return core.whiteAdaptionPosition == 3; }},
        };
        for (const auto& row : rows) {
            QWidget* widget = rig.Find<QWidget>(row.name);
            QVERIFY2(widget, row.name);
            row.operate(widget);
            QVERIFY2(row.reached(*rig.core), row.name);
        }
        QCOMPARE(rig.Find<QLabel>("LblZoomfactor")->text(), QString("  x12"));
    }

    // Messages, the Quality page, menus and tabs follow the language; other designed controls keep theirs.
    void languageSwitchRetranslatesMessagesMenusAndTabs() {
        Rig rig;
        auto texts = [&rig] {
            QStringList all;
            for (QLabel* l : rig.window.findChildren<QLabel*>()) {
                // The status line moves on.
                if (!l->objectName().startsWith("StatusPanel") && !l->objectName().startsWith("LabelTTabQuality"))
                    all << l->text();
            }
            for (QAbstractButton* b : rig.window.findChildren<QAbstractButton*>())
                if (auto* tool = qobject_cast<QToolButton*>(b); !tool || !tool->defaultAction()) all << b->text();
            return all;
        };
        const QStringList before = texts();
        auto* selector = rig.Find<QComboBox>("ComboBoxLanguageSelector");
        const struct {
            const char* entry;
            const char* errorTitle;
            const char* qualityHint;
            const char *open, *chartTab;
        } rows[] = {{"Deutsch", "Fehler", "Keine Karte in diesem Fenster gefunden", "Ö&ffnen...", "&IT8 Karte"},
                    {"Français", "Erreur", "Aucune mire trouvée dans cette fenêtre", "&Ouvrir...", "Mire &IT8"},
                    {"English", "Error", "No chart found in this window", "&Open...", "&IT8 Chart"}};
        for (const auto& row : rows) {
            emit selector->activated(selector->findText(row.entry));
            QCOMPARE(rig.window.findChild<QAction*>("MMOpenFile")->text(), QString::fromUtf8(row.open));
            QCOMPARE(rig.Find<QTabWidget>("ToolTab")->tabText(3), QString::fromUtf8(row.chartTab));
            QCOMPARE(QString::fromStdString(rig.core->AppStrings()->MBoxTitleError.caption), QString(row.errorTitle));
            QCOMPARE(rig.Find<QLabel>("LabelTTabQualityHint")->text(), QString::fromUtf8(row.qualityHint));
            QCOMPARE(selector->currentText(), QString(row.entry));
            QCOMPARE(texts(), before);
        }
    }

    void imageWindowShowsThePictureAndFollowsTheMouse() {
        Rig rig;
        ImageWindow* frame = rig.Open(rig.Picture("chart.bmp", 900, 700));
        QVERIFY(frame);
        QCOMPARE(frame->windowTitle(), QString::fromStdString(rig.dir.File("chart.bmp")));
        QWidget* view = frame->View()->viewport();
        const QImage shown = view->grab().toImage();
        // Away from the zoom source's mark, which is drawn over the picture.
        QCOMPARE(shown.pixelColor(3, 5), QColor(3, 5, 77));

        frame->View()->horizontalScrollBar()->setValue(30);
        QCOMPARE(rig.core->ChildImage()->viewport.scrollX, 30);
        SendMouse(view, QEvent::MouseMove, {10, 20});
        QCOMPARE(rig.window.StatusPanelText(5), QString("Pixel: "));
        QCOMPARE(rig.window.StatusPanelText(6), QString("(0040, 0020)"));
        SendMouse(view, QEvent::MouseButtonPress, {12, 22});
        QCOMPARE(rig.core->ChildImage()->zoomCentre, (Point{12, 22}));
        QVERIFY(rig.core->ChildImage()->sourceRectDrawn);
        SendMouse(view, QEvent::MouseButtonRelease, {12, 22});
        QVERIFY(!rig.core->ChildImage()->dragging);
    }

    // Both scroll bars follow a press on the overview, not only the first one moved.
    void overviewPressScrollsTheImageWindow() {
        Rig rig;
        ImageWindow* frame = rig.Open(rig.Picture("big.bmp", 1200, 1000));
        QWidget* overview = rig.Find<QWidget>("Overview");
        SendMouse(overview, QEvent::MouseButtonPress, {118, 65});
        SendMouse(overview, QEvent::MouseButtonRelease, {118, 65});
        const ImageViewport& viewport = rig.core->ChildImage()->viewport;
        QVERIFY(viewport.scrollX > 0 && viewport.scrollY > 0);
        QCOMPARE(frame->View()->horizontalScrollBar()->value(), viewport.scrollX);
        QCOMPARE(frame->View()->verticalScrollBar()->value(), viewport.scrollY);
    }

    void closingTheFrameClosesTheCoreWindowAndBack() {
        Rig rig;
        ImageWindow* first = rig.Open(rig.Picture("a.bmp"));
        rig.Open(rig.Picture("b.bmp"));
        QCOMPARE(rig.core->imageCount, 2);
        first->close();
        Rig::Settle();
        QCOMPARE(rig.core->imageCount, 1);
        QCOMPARE(rig.window.ImageWindows().size(), std::size_t{1});
        rig.core->MMenuCloseFileClick();
        Rig::Settle();
        QVERIFY(rig.window.ImageWindows().empty());
        QVERIFY(rig.core->ChildImage() == nullptr);
    }

    void graphOpensWithItsScalingMenu() {
        Rig rig;
        rig.core->controls.graphButton.enabled = true;
        rig.window.Sync();
        QTest::mouseClick(rig.Find<QWidget>("SpeedButtonShowGraph"), Qt::LeftButton);
        GraphWindow* graph = rig.window.Graph();
        QVERIFY(graph);
        QCOMPARE(graph->windowTitle(), QString("Graph"));
        for (const auto& [name, text] : {std::pair{"LabelXL", "0"}, {"LabelXR", "1024"}, {"LabelYL", "0"}, {"LabelYU", "255"}})
            QCOMPARE(graph->findChild<QLabel*>(name)->text(), QString(text));
        auto* fit = graph->PopupMenu()->findChild<QAction*>("PupMenGraphFitWin");
        auto* one = graph->PopupMenu()->findChild<QAction*>("PupMenuGraph121");
        QVERIFY(fit && one && fit->isChecked() && !one->isChecked());
        QCOMPARE(fit->text(), QString("fit window"));
        QCOMPARE(one->text(), QString("1:1"));
        // It opens over the client area, below the menus, no wider than it.
        const QRect client(rig.window.ClientArea()->mapToGlobal(QPoint(0, 0)), rig.window.ClientArea()->size());
        QVERIFY(graph->y() >= client.top() && graph->x() >= client.left() && graph->width() <= client.width());
        // However small the window, the plot is seen whole, down to its zero axis and labels.
        graph->resize(600, 260);
        Rig::Settle();
        auto* plot = graph->findChild<QWidget*>("Image");
        for (const QWidget* w : {plot, static_cast<QWidget*>(graph->findChild<QLabel*>("LabelXL"))})
            QVERIFY(graph->rect().contains(QRect(w->mapTo(graph, QPoint(0, 0)), w->size())));
        graph->resize(800, 320);
        Rig::Settle();
        QCOMPARE(plot->width(), 800 - 2 * 30);
        one->trigger();
        QCOMPARE(rig.core->Graph()->Scaling(), GraphScaling::OneToOne);
        QCOMPARE(plot->width(), 1024);
        // At 1:1 the plot's right end can be scrolled to.
        auto* scroll = graph->findChild<QScrollArea*>();
        QVERIFY(scroll);
        QCOMPARE(scroll->horizontalScrollBar()->maximum(), 1024 + 2 * 30 - scroll->viewport()->width());
        graph->close();
        Rig::Settle();
        QVERIFY(!rig.core->graphOpen);
        QVERIFY(!rig.window.Graph());
    }

    void statusPanelZeroTakesWhatTheOthersLeave() {
        Rig rig;
        LogStatus("last status line");
        rig.window.Sync();
        QCOMPARE(rig.window.StatusPanelText(0), QString("STA: last status line"));
        for (const int width : {1000, 700}) {
            rig.window.resize(width, 600);
            Rig::Settle();
            QCOMPARE(rig.core->statusPanel0Width, width - 380);
        }
        // Narrower than panels 1-7 (the frame cannot be made that narrow): the bar clips.
        const struct {
            int request, panel0;
        } rows[] = {{620, 620}, {0, 0}, {-80, 0}};
        for (const auto& row : rows) {
            rig.core->FormResize(row.request + 380, 0);
            rig.window.Sync();
            QCOMPARE(rig.Find<QLabel>("StatusPanel0")->width(), row.panel0);
            QCOMPARE(rig.Find<QLabel>("StatusPanel1")->x(), row.panel0);
            QCOMPARE(rig.Find<QLabel>("StatusPanel7")->x(), row.panel0 + 350);
            QCOMPARE(rig.Find<QLabel>("StatusPanel7")->width(), 30);
        }
    }

    void windowEventsWriteTheirVclLines() {
        Rig rig;
        test::LogCapture log;
        rig.window.hide();
        rig.window.show();
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(rig.Find<QWidget>("ToolTab"), &enter);
        rig.Find<QTabWidget>("ToolTab")->tabBar()->grab();
        emit rig.Find<QSplitter>("SplitterToolTab")->splitterMoved(640, 1);
        emit rig.Find<QSplitter>("SplitterToolbarUpper")->splitterMoved(333, 1);
        for (const char* line : {"VCL: eventhandler MainForm.OnShow", "VCL: ToolTab: event 'MouseEnter' ...",
                                 "VCL: ToolTab: event 'DrawTab', index 3", "VCL: Toolbar area changed! Splitter Client now at 640",
                                 "VCL: Toolbar area changed! Splitter Upper now at 333"})
            QVERIFY2(log.Contains(line), line);
    }

    void f1OpensTheHelpOfTheFocusedPart() {
        Rig rig;
        const struct {
            const char* widget;
            int context;
        } rows[] = {{"ComboBoxLanguageSelector", 100}, {"TrackBarZoom", 3000}, {"CheckBoxTTabSetLogError", 4000},
                    {"MemoTTabInfo", 1000}, {"TTabButtonSetAuto", 2000}, {"ClientArea", 1000}};
        for (const auto& row : rows) QCOMPARE(MainWindow::HelpContextOf(rig.Find<QWidget>(row.widget)), row.context);
        QCOMPARE(rig.Action("MMOpenFile")->property("helpContext").toInt(), 5000);
        QCOMPARE(rig.Action("MMViewToolBar")->property("helpContext").toInt(), 5100);
        QCOMPARE(rig.Action("WindowCascade")->property("helpContext").toInt(), 5200);
        rig.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&rig.window));
        rig.Find<QTabWidget>("ToolTab")->setCurrentIndex(ToolTabSettings);
        rig.Find<QWidget>("ComboBoxLanguageSelector")->setFocus();
        rig.Action("ContextHelp")->trigger();
        QCOMPARE(rig.helpShown, std::vector<int>{100});
    }

    // A found chart fills the Quality page, in expert mode only; F1 on it opens its own topic.
    void qualityPageShowsTheChartsFiguresInExpertModeOnly() {
        for (const bool expert : {true, false}) {
            Rig rig(expert);
            rig.window.resize(800, 600);
            RenderOptions options;
            options.rotationDegrees = 0.5;
            const RenderedChart chart = RenderChart(SyntheticChartColours(), options);
            const std::string path = rig.dir.File("chart.bmp");
            std::string error;
            QVERIFY2(SaveBmpFile(chart.image, path, error), error.c_str());
            rig.Open(path);
            auto* tab = rig.Find<QTabWidget>("ToolTab");
            auto* table = rig.Find<QTableWidget>("TTabQualityTable");
            auto* hint = rig.Find<QLabel>("LabelTTabQualityHint");
            QVERIFY(tab && table && hint);
            QCOMPARE(tab->isTabVisible(ToolTabQuality), expert);
            if (!expert) continue;
            tab->setCurrentIndex(ToolTabQuality);
            Rig::Settle();
            QCOMPARE(hint->text(), QString("No chart found in this window"));
            QVERIFY(table->isHidden());
            QCOMPARE(rig.core->CheckIt8Scan(rig.core->ChildImage(), true), 0);
            rig.window.Sync();
            Rig::Settle();
            QVERIFY(!table->isHidden() && hint->isHidden());
            QCOMPARE(table->rowCount(), 13);
            QCOMPARE(table->item(0, 0)->text(), QString("Tone (max |\u0394L*|)"));
            QCOMPARE(table->horizontalHeaderItem(3)->toolTip(), QString("ISO 19264-1:2021"));
            // The render is at 400 ppi: four FADGI stars, Metamorfoze's 300 ppi met.
            int rate = -1;
            for (int r = 0; r < table->rowCount(); ++r)
                if (table->item(r, 0)->text().startsWith("Sampling rate")) rate = r;
            QVERIFY(rate >= 0);
            QCOMPARE(table->item(rate, 2)->text(), QString("\u2605\u2605\u2605\u2605"));
            QCOMPARE(table->item(rate, 4)->text(), QString("Strict"));
            QVERIFY(rig.Find<QLabel>("LabelTTabQualityDecoder")->text().contains("sRGB"));
            QCOMPARE(MainWindow::HelpContextOf(table), HelpContextQualityPage);
        }
    }

    // The bitmap's own bytes, read as blue, green, red; inverting marks come off when repeated.
    void bitmapIsShownInPlaceAndMarksComeOff() {
        ScanBitmap bitmap(5, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) bitmap.SetPixel(x, y, MakeColour(10 * x, 20 * y, 200 - x));
        const QImage wrapped = WrapBitmap(bitmap);
        QCOMPARE(wrapped.constBits(), bitmap.Data());
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) QCOMPARE(wrapped.pixelColor(x, y), QColor(10 * x, 20 * y, 200 - x));
        QVERIFY(WrapBitmap(ScanBitmap()).isNull());

        QImage canvas(40, 30, QImage::Format_RGB32);
        canvas.fill(QColor(30, 90, 150));
        const QImage original = canvas;
        const FrameCommand mark{{5, 5}, {30, 20}, Stroke{MakeColour(0, 0, 0), 5, StrokeMode::Invert}};
        {
            QPainter painter(&canvas);
            PaintCommand(painter, mark, nullptr);
        }
        QCOMPARE(canvas.pixelColor(5, 5), QColor(225, 165, 105));
        {
            QPainter painter(&canvas);
            PaintCommand(painter, mark, nullptr);
        }
        QCOMPARE(canvas, original);
    }

};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
