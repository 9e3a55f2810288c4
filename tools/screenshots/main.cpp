// calvix-screenshots: runs Calvix with its Qt windows against the emulated Q71 and walks through
// them as an operator would, saving a PNG of every window. --mode normal: the splash and each
// wizard page of a whole calibration run; --mode expert: the main window with a scan, its zoom
// and overview, the graph, the about window and the help.
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "ScreenshotWalk.h"
#include "gui/AboutDialog.h"
#include "gui/AssistantDialog.h"
#include "gui/GuiRunner.h"
#include "gui/HelpBrowser.h"
#include "gui/ImageWindow.h"
#include "gui/MainWindow.h"
#include "gui/QtDesktop.h"
#include "gui/SplashWindow.h"
#include "mainform/MainForm.h"
#include "platform/FlockNamedLock.h"
#include "platform/LinuxSystemInfo.h"
#include "platform/RegFileUserStore.h"
#include "platform/XdgDirs.h"

using namespace calvix;

namespace {

QAbstractButton* WizardButton(QtDesktop& desktop, const char* name) {
    return desktop.Assistant() ? desktop.Assistant()->findChild<QAbstractButton*>(name) : nullptr;
}

bool Enabled(QAbstractButton* button) { return button && button->isVisible() && button->isEnabled(); }

QString WizardPage(QtDesktop& desktop) {
    if (!desktop.Assistant()) return {};
    auto* pages = desktop.Assistant()->findChild<QStackedWidget*>("PageControl");
    return pages ? pages->currentWidget()->objectName() : QString();
}

// Clicks after the walk's step returns: a scan runs its own event loop inside the click.
void ClickLater(QAbstractButton* button) { QTimer::singleShot(0, button, &QAbstractButton::click); }

// A wizard page: reached, saved, then its button pressed once it is enabled.
void WizardPageStep(ScreenshotWalk& walk, QtDesktop& d, const char* page, const char* shot, int waitMs) {
    walk.Then(
        std::string("page ") + page, [&d, page] { return WizardPage(d) == page; }, [] {}, 20000);
    walk.Wait(waitMs);
    walk.Shot(shot, [&d]() -> QWidget* { return d.Assistant(); });
}

void NormalWalk(ScreenshotWalk& walk, GuiSession& s, int warmUpSeconds) {
    QtDesktop& d = s.desktop;
    walk.Then(
        "wizard opened", [&d] { return d.Assistant() && d.Assistant()->isVisible(); }, [] {}, 60000);
    walk.Shot("splash", [&d]() -> QWidget* { return d.Splash(); });
    WizardPageStep(walk, d, "PanelCalStart", "wizard-1-start", 300);
    walk.Then(
        "reference picked", [&d] { return Enabled(WizardButton(d, "ButtonNext")); },
        [&d] { ClickLater(WizardButton(d, "ButtonNext")); });
    WizardPageStep(walk, d, "PanelWarmup", "wizard-2-warmup", 1200);
    walk.Then(
        "warmed up", [&d] { return Enabled(WizardButton(d, "ButtonNext")); },
        [&d] { ClickLater(WizardButton(d, "ButtonNext")); }, (warmUpSeconds + 30) * 1000);
    for (const bool front : {true, false}) {
        const char* scan = front ? "ButtonScanFront" : "ButtonScanRear";
        WizardPageStep(walk, d, front ? "PanelScanFront" : "PanelScanRear",
                       front ? "wizard-3-scan-front" : "wizard-4-scan-rear", 300);
        walk.Then(
            std::string("press ") + scan, [&d, scan] { return Enabled(WizardButton(d, scan)); },
            [&d, scan] { ClickLater(WizardButton(d, scan)); });
        walk.Then(
            std::string(front ? "front" : "rear") + " analysed",
            [&d] { return Enabled(WizardButton(d, "ButtonNext")); },
            [&d] { ClickLater(WizardButton(d, "ButtonNext")); }, 60000);
    }
    WizardPageStep(walk, d, "PanelFinished", "wizard-5-finish", 300);
    // No run leads to the two corner-marking pages; they are shown for the picture alone, and
    // the page in force comes back before anything else is drawn.
    for (const bool front : {true, false}) {
        auto stage = [&d, front, shown = std::make_shared<int>(-1)](bool on) {
            auto* pages = d.Assistant() ? d.Assistant()->findChild<QStackedWidget*>("PageControl") : nullptr;
            if (!pages) return;
            if (on) {
                *shown = pages->currentIndex();
                if (auto* page = pages->findChild<QWidget*>(front ? "PanelSetFrameFront" : "PanelSetFrameRear"))
                    pages->setCurrentWidget(page);
            } else {
                pages->setCurrentIndex(*shown);
            }
        };
        walk.Shot(front ? "wizard-6-corners-front" : "wizard-7-corners-rear",
                  [&d]() -> QWidget* { return d.Assistant(); }, 2000, stage);
    }
    walk.Then(
        "finish", [&d] { return Enabled(WizardButton(d, "ButtonNext")); },
        [&d] { ClickLater(WizardButton(d, "ButtonNext")); });
}

// A button of the main window, clicked as an operator would once it is enabled.
// Brings the tool panel's page that holds the named widget to the front (the pages sit in scroll
// areas, so the page is found as the widget's ancestor, not by its own name).
void ShowToolPageOf(MainWindow& window, const char* name) {
    auto* tabs = window.findChild<QTabWidget*>("ToolTab");
    auto* widget = window.findChild<QWidget*>(name);
    if (tabs == nullptr || widget == nullptr) return;
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->widget(i)->isAncestorOf(widget)) tabs->setCurrentIndex(i);
}

void ClickWhenEnabled(ScreenshotWalk& walk, MainWindow& window, const char* name) {
    walk.Then(
        std::string("click ") + name, [&window, name] { return Enabled(window.findChild<QAbstractButton*>(name)); },
        [&window, name] { ClickLater(window.findChild<QAbstractButton*>(name)); });
}

void TriggerAction(ScreenshotWalk& walk, MainWindow& window, const char* name) {
    walk.Then(
        std::string("command ") + name,
        [&window, name] {
            auto* action = window.findChild<QAction*>(name);
            return action && action->isEnabled();
        },
        [&window, name] { window.findChild<QAction*>(name)->trigger(); });
}

// The mouse resting over the scan, so the status bar shows the pixel under it.
void PointAtScan(MainWindow& window) {
    const auto frames = window.ImageWindows();
    if (frames.empty()) return;
    QWidget* viewport = frames.front()->View()->viewport();
    const QPoint at(262, 186);
    QMouseEvent move(QEvent::MouseMove, QPointF(at), viewport->mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
}

void ExpertWalk(ScreenshotWalk& walk, GuiSession& s, const std::string& image) {
    TMainFormular& core = s.core;
    MainWindow& window = s.window;
    walk.Then(
        "main window shown", [&s] { return s.window.isVisible(); }, [] {}, 60000);
    walk.Then(
        "scan opened", [] { return true; }, [&core, image] { core.OpenImageFile(image); });
    walk.Then(
        "IT8 Chart page", [] { return true; }, [&window] { ShowToolPageOf(window, "TTabButtonSetAuto"); });
    ClickWhenEnabled(walk, window, "TTabButtonSetAuto");
    // The corners found are taken by entering the set-corners mode; the scan window, activated
    // anew, then offers "Store".
    ClickWhenEnabled(walk, window, "TTabIT8SpeedButtonSetCorner");
    walk.Then(
        "scan window activated anew", [&window] { return window.ImageWindows().size() >= 2; },
        [&window] {
            const auto frames = window.ImageWindows();
            window.ClientArea()->setActiveSubWindow(frames.back());
            window.ClientArea()->setActiveSubWindow(frames.front());
        });
    ClickWhenEnabled(walk, window, "SpeedButtonStore");
    TriggerAction(walk, window, "WindowTileVertical");
    walk.Then(
        "mouse over the scan", [] { return true; }, [&window] { PointAtScan(window); });
    walk.Wait(800);
    walk.Shot("main-window", [&window]() -> QWidget* { return &window; });
    walk.Shot(
        "zoom-overview", [&window]() -> QWidget* { return window.findChild<QWidget*>("PanelTools"); }, 2000);
    walk.Then(
        "Quality page", [] { return true; }, [&window] { ShowToolPageOf(window, "TabSheetQuality"); });
    walk.Shot(
        "quality", [&window]() -> QWidget* { return window.findChild<QWidget*>("TabSheetQuality"); }, 2000);
    walk.Then(
        "back to the graph's page", [] { return true; }, [&window] { ShowToolPageOf(window, "SpeedButtonShowGraph"); });
    ClickWhenEnabled(walk, window, "SpeedButtonShowGraph");
    walk.Shot(
        "graph",
        [&window]() -> QWidget* {
            // The graph window is captioned "Graph", inside the main frame or on its own.
            QList<QWidget*> candidates = QApplication::topLevelWidgets();
            candidates += window.findChildren<QWidget*>();
            for (QWidget* w : candidates)
                if (w->isVisible() && w->windowTitle() == "Graph") return w;
            return nullptr;
        },
        4000);
    TriggerAction(walk, window, "MMHelpAbout");
    walk.Shot("about", [] { return ShownWindow("AboutBox"); });
    walk.Then(
        "about closed", [] { return true; },
        [] {
            if (QWidget* w = ShownWindow("AboutBox")) w->close();
        });
    walk.Then(
        "help opened", [] { return true; }, [&window] { ShowHelp(&window, 1000); });
    walk.Shot("help", [] { return static_cast<QWidget*>(HelpBrowser::Current()); });
    walk.Then(
        "help on a wizard page", [] { return true; }, [&window] { ShowHelp(&window, 13000); });
    walk.Shot("help-wizard", [] { return static_cast<QWidget*>(HelpBrowser::Current()); });
    walk.Then(
        "quit", [] { return true; }, [&window] { window.close(); });
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = "normal";
    std::string out = "docs/screenshots";
    std::string image;
    int warmUp = 300;
    CLI::App cli{"Walks through Calvix's windows against the emulated Q71 and saves a PNG of each"};
    cli.add_option("--mode", mode, "normal: splash and wizard run; expert: main window, graph, about, help")
        ->check(CLI::IsMember({"normal", "expert"}));
    cli.add_option("--out", out, "folder for the PNG files");
    cli.add_option("--image", image, "expert mode: the scan to open");
    cli.add_option("--warm-up", warmUp, "normal mode: the WarmUpTime of the user store, in seconds");
    CLI11_PARSE(cli, argc, argv);

    LinuxSystemInfo system;
    const std::string configHome = XdgConfigHome();
    RegFileUserStore store(configHome.empty() ? std::string() : configHome + "/Zelmar GmbH/Calvix.reg");
    FlockNamedLock serviceLock;
    std::unique_ptr<ScreenshotWalk> walk;
    std::vector<std::string> saved, missing;
    bool stopped = false;
    char* qtArgv[] = {argv[0], nullptr};
    int qtArgc = 1;
    RunGui(qtArgc, qtArgv, system, store, serviceLock, -1, [&](GuiSession& session) {
        walk = std::make_unique<ScreenshotWalk>(QString::fromStdString(out), [&session] {
            if (!session.core.Closed()) session.window.close();
        });
        if (mode == "normal")
            NormalWalk(*walk, session, warmUp);
        else
            ExpertWalk(*walk, session, image);
        // The walk goes with the windows it walks through.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [&] {
            saved = walk->Saved();
            missing = walk->Missing();
            stopped = walk->Stopped();
            for (const std::string& step : walk->Unreached()) missing.push_back(step + " (program ended before)");
            walk.reset();
        });
        walk->Start();
    });
    std::printf("%zu screenshots saved, %zu missing\n", saved.size(), missing.size());
    for (const std::string& m : missing) std::printf("  missing: %s\n", m.c_str());
    return missing.empty() && !stopped && !saved.empty() ? 0 : 3;
}
