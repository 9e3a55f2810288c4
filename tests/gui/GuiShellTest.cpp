// The Qt shell against the real toolkit (offscreen): status-bar panels, the splash list, a
// clean shut-down through the window's close, and the message pump of a TWAIN acquisition.
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QStatusBar>
#include <QtTest/QtTest>

#include "FakeClock.h"
#include "MemoryUserStore.h"
#include "TempDir.h"
#include "app/FormStatus.h"
#include "mainform/MainForm.h"
#include "gui/GuiShell.h"
#include "gui/NameFilter.h"
#include "gui/QtMessagePump.h"
#include "gui/SplashWindow.h"
#include "platform/FlockNamedLock.h"
#include "platform/LinuxSystemInfo.h"

using namespace calvix;

class GuiShellTest : public QObject {
    Q_OBJECT
private slots:
    void panelsSplashAndShutDown() {
        test::TempDir dir;
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.File("data")));
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(dir.Path()));
        LogWriter.SetEcho(false);
        test::MemoryUserStore store;
        store.keys["Software\\Zelmar GmbH\\Calvix"];  // normal mode, scanner searched
        LinuxSystemInfo system;
        test::FakeClock clock;
        FlockNamedLock lock;
        // The shell takes the windows down before the core forms they draw (ASan sees it otherwise).
        GuiShell shell;
        QtDesktop& desktop = shell.desktop;
        MainWindow& window = shell.window;
        window.show();
        TMainFormular& core = shell.Build(MainFormPorts{desktop, store, system, clock, &lock, nullptr, std::string()});

        auto* bar = window.findChild<QStatusBar*>("StatusBar");
        QVERIFY(bar);
        for (int i = 0; i < MainWindow::PanelCount; ++i)
            QVERIFY(window.findChild<QLabel*>(QString("StatusPanel%1").arg(i)));
        QCOMPARE(window.findChild<QLabel*>("StatusPanel1")->text(), QString("Size: "));

        core.TimerTimer();
        core.TimerTimer();
        QCOMPARE(window.StatusPanelText(4), QString("-"));
        LogWriter.WriteLine("STA: to the bar and the splash", LogStaSplash);
        QCOMPARE(window.StatusPanelText(0), QString("STA: to the bar and the splash"));

        QVERIFY(desktop.Splash());
        auto* list = desktop.Splash()->findChild<QListWidget*>("ListBoxLog");
        QVERIFY(list);
        QCOMPARE(list->item(0)->text(), QString(">>>  Zelmar Calvix <<<"));
        QCOMPARE(list->item(list->count() - 1)->text(), QString("STA: to the bar and the splash"));
        // A line longer than the list wraps inside it.
        LogWriter.WriteLine(std::string("STA: ") + QString("word ").repeated(60).toStdString(), LogStaSplash);
        QCoreApplication::processEvents();
        QVERIFY(list->visualItemRect(list->item(list->count() - 1)).right() < list->viewport()->width());
        QCOMPARE(desktop.Splash()->findChild<QLabel*>("LabelVersion")->text(),
                 QString::fromStdString(core.versionText));

        // Boxes stand over the wizard in view, with an icon; any other modal window is closed.
        core.controls.calibrationAssistent.enabled = true;
        core.MMFileCalibrationAssistentClick();
        QWidget* parent = nullptr;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) parent = box->parentWidget(), icon = box->icon(), box->done(0);
            else if (modal) modal->close();
        });
        answer.start(0);
        desktop.ShowMessage("text", core.AppStrings()->MBoxTitleError.caption, MessageButtons::Ok);
        QCOMPARE(parent, static_cast<QWidget*>(desktop.Assistant()));
        QCOMPARE(icon, QMessageBox::Critical);

        window.close();
        QVERIFY(core.Closed());
        QVERIFY(test::FileExists(dir.File("data/Zelmar GmbH/Calvix/Calvix_splash.log")));
        QVERIFY(test::ReadFileText(dir.File("data/Zelmar GmbH/Calvix/Calvix.log")).find("STA:   ... bye!") !=
                std::string::npos);
    }

    // Without a wizard the splash is a normal-mode run's last window: closing it ends the run.
    void closingTheSplashEndsTheProgramWhenItWasTheLastWindow() {
        for (const bool expert : {false, true}) {
            test::TempDir dir;
            qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.File("data")));
            test::MemoryUserStore store;
            store.keys["Software\\Zelmar GmbH\\Calvix"] = {{"ExpertMode", std::int32_t{expert}}, {"SearchScanner", 0}};
            LinuxSystemInfo system;
            test::FakeClock clock;
            GuiShell shell;
            TMainFormular& core = shell.Build(MainFormPorts{shell.desktop, store, system, clock, nullptr, nullptr, ""});
            core.TimerTimer(), shell.desktop.Splash()->close();
            QCOMPARE(core.Closed(), !expert);
            core.Close();
        }
    }

    // Qt separates a filter's patterns by blanks and reads them from its last parentheses.
    void windowsFiltersInQtForm() {
        for (const auto& [windows, qt] : {std::pair{"JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg", "JPEG (*.jpg *.jpeg)"},
                                          {"Bitmaps (*.bmp)|*.bmp", "Bitmaps (*.bmp)"}, {"All|*.*", "All (*)"},
                                          {"Scans (front)|*.bmp", "Scans (front) (*.bmp)"}, {"Qt (*.txt)", "Qt (*.txt)"}})
            QCOMPARE(QtNameFilter(windows), QString(qt));
    }

    // The wait of a TWAIN acquisition: events posted meanwhile run, and a quit ends it.
    void messagePumpRunsEventsAndEndsOnQuit() {
        QtMessagePump pump;
        bool ran = false;
        QTimer::singleShot(0, [&] { ran = true; });
        QVERIFY(pump.ProcessEvents(20));
        QVERIFY(ran);
        bool quit = false;
        pump.SetQuitCheck([&] { return quit; });
        QTimer::singleShot(0, [&] { quit = true; });
        QVERIFY(!pump.ProcessEvents(20));
        QVERIFY(!pump.ProcessEvents(20));
    }

};

QTEST_MAIN(GuiShellTest)
#include "GuiShellTest.moc"
