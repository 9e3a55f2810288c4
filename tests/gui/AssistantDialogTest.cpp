// The wizard's window over a core wizard with a scripted host (offscreen): the page shown, the
// captions and enabled buttons follow the core through a whole run; the warm-up bar, the list
// pick, a language change, the busy window during a scan, and the ways the window closes.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest/QtTest>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "FakeClock.h"
#include "MemoryUserStore.h"
#include "TempDir.h"
#include "TestData.h"
#include "app/FormStatus.h"
#include "app/Language.h"
#include "app/Strings.h"
#include "assistant/AssistantHost.h"
#include "assistant/assistent.h"
#include "gui/AssistantDialog.h"
#include "gui/HelpBrowser.h"
#include "gui/GuiShell.h"
#include "it8ref/It8Ref.h"
#include "it8ref/ReferenceGrey.h"
#include "it8ref/ReferenceListModel.h"
#include "it8ref/ReferenceLoader.h"
#include "it8ref/ReferenceOptions.h"
#include "mainform/MainForm.h"
#include "platform/HeadlessDesktop.h"
#include "platform/LinuxSystemInfo.h"

using namespace calvix;

namespace {

class ScriptedHost final : public AssistantHost {
public:
    bool led = false;
    bool duplex = true;
    bool expert = false;
    std::deque<int> feeder;  // paper query answers; empty: paper present
    int scans = 0;
    bool lutReady = false;
    bool closeRequested = false;
    std::vector<int> helpContexts;
    int aborts = 0;
    // Runs inside the scan, while the acquisition would wait in its event loop.
    std::function<void()> duringScan;

    bool LedScanner() const override { return led; }
    bool TwainDuplex() const override { return duplex; }
    bool ExpertMode() const override { return expert; }
    std::int32_t WarmUpStart() const override { return 0; }
    int FeederLoaded() override {
        if (feeder.empty()) return 1;
        const int answer = feeder.front();
        feeder.pop_front();
        return answer;
    }
    int AcquireScan(int) override {
        ++scans;
        if (duringScan) duringScan();
        return aborts > 0 ? -2 : 0;
    }
    void AbortScan() override { ++aborts; }
    int CheckScan(bool) override { return 0; }
    bool StoreScan() override { return true; }
    void SetLutReady() override { lutReady = true; }
    void SetCloseRequested() override { closeRequested = true; }
    void ShowHelp(int helpContext) override { helpContexts.push_back(helpContext); }
};

// One wizard and its window, as the controller and the Qt desktop would hold them.
struct Run {
    test::TempDir home;
    std::string dataFolder = home.File("data");
    test::FakeClock clock;
    HeadlessDesktop desktop;
    ScriptedHost host;
    std::unique_ptr<TAppStrings> strings;
    TIT8Ref record;
    ReferenceOptions options{record};
    std::unique_ptr<ReferenceLoader> loader;
    std::int32_t listIndex = -1;
    std::unique_ptr<TFormAssistent> wizard;
    std::unique_ptr<AssistantDialog> dialog;

    Run() { std::filesystem::create_directories(dataFolder); }
    ~Run() {
        dialog.reset();
        wizard.reset();
        ResetReferenceGrey();
    }
    // Installed references (copies of one test file); the first is remembered.
    void Install(std::initializer_list<const char*> names) {
        std::ofstream list(dataFolder + "/it8ref.lst");
        for (const char* name : names) {
            std::filesystem::copy_file(std::string(CALVIX_TEST_DATA_DIR) + "/it8/R1.txt", dataFolder + "/" + name);
            list << name << "\r\n";
        }
        listIndex = 0;
    }
    void Open(int textBase = 10000, std::int32_t warmUpTime = 300, Desktop* wizardDesktop = nullptr) {
        strings = std::make_unique<TAppStrings>(textBase);
        loader = std::make_unique<ReferenceLoader>(record, options, desktop, *strings);
        wizard = std::make_unique<TFormAssistent>(AssistantContext{host, wizardDesktop ? *wizardDesktop : desktop,
                                                                   clock, *strings, *loader, dataFolder, listIndex,
                                                                   warmUpTime, textBase});
        dialog = std::make_unique<AssistantDialog>(*wizard, nullptr);
        dialog->show();
    }
    template <typename T>
    T* Find(const char* name) const {
        return dialog->findChild<T*>(name);
    }
    QPushButton* Button(const char* name) const { return Find<QPushButton>(name); }
    QString Page() const { return Find<QStackedWidget>("PageControl")->currentWidget()->objectName(); }
    void Click(const char* name) const { QTest::mouseClick(Button(name), Qt::LeftButton); }
    // One tick of the window's 200 ms timer, at a moment of the fake clock.
    void TickAt(double seconds) {
        clock.elapsedMs = static_cast<std::int64_t>(seconds * 1000);
        QVERIFY(QMetaObject::invokeMethod(Find<QTimer>("TimerWarmUp"), "timeout"));
    }
};

}  // namespace

class AssistantDialogTest : public QObject {
    Q_OBJECT
private slots:
    void init() { LogWriter.SetEcho(false); }

    // A duplex lamp scanner from Start to Finish, the window checked after every action.
    void clickThroughFollowsTheCore() {
        Run run;
        run.Install({"R1.txt"});
        run.Open();
        QCOMPARE(run.dialog->windowTitle(), QString("Calibration-Assistant"));
        QCOMPARE(run.dialog->objectName(), QString("FormAssistent"));
        QVERIFY(run.Find<QTimer>("TimerWarmUp")->isActive());
        QCOMPARE(run.Find<QTimer>("TimerWarmUp")->interval(), 200);

        struct Step {
            const char* click;  // nullptr: the countdown ends
            const char* page;
            bool next, back, scanFront, scanRear;
            const char* nextCaption;
        };
        const Step steps[] = {
            {"", "PanelCalStart", true, false, true, true, "Next >"},
            {"ButtonNext", "PanelWarmup", false, true, true, true, "Next >"},
            {nullptr, "PanelWarmup", true, true, true, true, "Next >"},
            {"ButtonNext", "PanelScanFront", false, true, true, true, "Next >"},
            {"ButtonScanFront", "PanelScanFront", true, true, false, true, "Next >"},
            {"ButtonBack", "PanelWarmup", true, true, false, true, "Next >"},
            {"ButtonNext", "PanelScanFront", true, true, false, true, "Next >"},
            {"ButtonNext", "PanelScanRear", false, true, false, true, "Next >"},
            {"ButtonScanRear", "PanelScanRear", true, true, false, false, "Next >"},
            {"ButtonNext", "PanelFinished", true, true, false, false, "Finish"},
            {"ButtonBack", "PanelScanRear", true, true, false, false, "Next >"},
            {"ButtonNext", "PanelFinished", true, true, false, false, "Finish"},
        };
        for (const Step& step : steps) {
            if (!step.click)
                run.TickAt(301);
            else if (*step.click)
                run.Click(step.click);
            const QByteArray where = QByteArray("after ") + (step.click ? step.click : "the countdown");
            QVERIFY2(run.Page() == step.page, where + ": " + run.Page().toUtf8());
            QVERIFY2(run.Button("ButtonNext")->isEnabled() == step.next, where);
            QVERIFY2(run.Button("ButtonBack")->isEnabled() == step.back, where);
            QVERIFY2(run.Button("ButtonScanFront")->isEnabled() == step.scanFront, where);
            QVERIFY2(run.Button("ButtonScanRear")->isEnabled() == step.scanRear, where);
            QVERIFY2(run.Button("ButtonNext")->text() == step.nextCaption, where);
            QCOMPARE(run.Find<QStackedWidget>("PageControl")->currentIndex(), run.wizard->VisiblePage());
        }
        QCOMPARE(run.host.scans, 2);
        run.Click("ButtonNext");
        QVERIFY(run.host.lutReady);
        QVERIFY(run.host.closeRequested);
        QVERIFY(run.wizard->Closed());
        QVERIFY(!run.dialog->isVisible());
        QVERIFY(!run.Find<QTimer>("TimerWarmUp")->isActive());
    }

    void ledScannerGoesFromStartToTheFrontScan() {
        Run run;
        run.host.led = true;
        run.Install({"R1.txt"});
        run.Open();
        run.Click("ButtonNext");
        QCOMPARE(run.Page(), QString("PanelScanFront"));
        run.Click("ButtonBack");
        QCOMPARE(run.Page(), QString("PanelCalStart"));
    }

    // Qt ignores a value beyond the bar's maximum and turns a bar of maximum 0 into a busy
    // indicator; the countdown ends one second past its length.
    void warmUpBarAndSecondsFollowTheCountdown() {
        struct Case {
            std::int32_t warmUpTime;
            double at;
            int value, maximum;
            const char* seconds;
        };
        const Case cases[] = {
            {300, 0, 0, 300, "300"},     {300, 150.5, 150, 300, "150"},
            {300, 300.9, 300, 300, "0"}, {300, 301, 300, 300, "0"},
            {0, 1, 1, 1, "0"},
        };
        for (const Case& c : cases) {
            Run run;
            run.Install({"R1.txt"});
            run.Open(10000, c.warmUpTime);
            run.Click("ButtonNext");
            run.TickAt(c.at);
            auto* bar = run.Find<QProgressBar>("ProgressBarWarmup");
            const QByteArray where = QByteArray::number(c.warmUpTime) + " s at " + QByteArray::number(c.at);
            QVERIFY2(bar->value() == c.value, where + ": value " + QByteArray::number(bar->value()));
            QVERIFY2(bar->maximum() == c.maximum, where);
            QVERIFY2(run.Find<QLabel>("LabelSeconds")->text() == c.seconds, where);
        }
        Run run;
        run.Open();
        QVERIFY(run.Find<QLabel>("LabelSeconds")->alignment() & Qt::AlignRight);
    }

    void pickingAListLineLoadsItAndUnblocksStart() {
        Run run;
        run.Install({"R1.txt", "R2.txt"});
        run.listIndex = -1;  // nothing remembered: the operator must pick
        run.Open();
        auto* list = run.Find<QListWidget>("ListBoxIT8Installed");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->currentRow(), -1);
        QVERIFY(!run.Button("ButtonNext")->isEnabled());
        QFocusEvent focus(QEvent::FocusIn, Qt::ActiveWindowFocusReason);  // makes a line current, picks none
        QApplication::sendEvent(list, &focus);
        QVERIFY(run.wizard->ReferenceList().selected == -1 && !run.Button("ButtonNext")->isEnabled());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        QCOMPARE(run.listIndex, 1);
        QCOMPARE(run.wizard->ReferenceList().selected, 1);
        QVERIFY(run.Button("ButtonNext")->isEnabled());
        QVERIFY(run.desktop.messages.empty());
    }

    void failedScanLeavesScanAvailableAndNextBlocked() {
        Run run;
        run.Install({"R1.txt"});
        run.host.led = true;
        run.host.feeder = {0};
        run.Open();
        run.Click("ButtonNext");
        run.Click("ButtonScanFront");
        QCOMPARE(run.desktop.messages.size(), std::size_t{1});
        QCOMPARE(run.desktop.messages[0].text, std::string("Insert paper!"));
        QVERIFY(run.Button("ButtonScanFront")->isEnabled());
        QVERIFY(!run.Button("ButtonNext")->isEnabled());
        QCOMPARE(run.host.scans, 0);
    }

    // Labels follow a change of language while the wizard is open; buttons keep their captions.
    void languageChangeRetranslatesLabelsNotButtons() {
        Run run;
        run.Install({"R1.txt"});
        run.Open(0);
        QCOMPARE(run.Button("ButtonNext")->text(), QString("Weiter >"));
        QCOMPARE(run.Find<QLabel>("LabelTitel")->text(), QString(" Start"));
        QCOMPARE(run.dialog->windowTitle(), QString("Kalibrier-Assistent"));
        TranslateAll(20000);
        QCOMPARE(run.Find<QLabel>("LabelTitel")->text(), QString::fromUtf8(" Démarrer"));
        QCOMPARE(run.Find<QLabel>("Label8")->text(), QString::fromUtf8(" Préchauffage"));
        QCOMPARE(run.Button("ButtonNext")->text(), QString("Weiter >"));
        TranslateAll(10000);
    }

    // While a scan waits in its event loop the operator's further clicks do nothing but Abort
    // and the close box, which end the scan and the run; the busy cursor is on through the Qt
    // desktop.
    void aRunningScanTakesNoFurtherActionButAbort_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("abort") << false;
        QTest::newRow("close box") << true;
    }
    void aRunningScanTakesNoFurtherActionButAbort() {
        QFETCH(bool, closeBox);
        Run run;
        QtDesktop qtDesktop;
        run.Install({"R1.txt"});
        run.host.led = true;
        run.host.duplex = false;
        run.Open(10000, 300, &qtDesktop);
        run.Click("ButtonNext");
        bool busyCursor = false;
        bool buttonsOff = false;
        run.host.duringScan = [&] {
            busyCursor = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            buttonsOff = !run.Button("ButtonScanFront")->isEnabled() && run.Button("ButtonAbort")->isEnabled() &&
                         !run.Button("ButtonBack")->isEnabled();
            run.Button("ButtonScanFront")->click();
            closeBox ? (void)run.dialog->close() : run.Button("ButtonAbort")->click();
            for (bool repeat : {false, false, true})  // read after the scan, and a held key: no Finish
                QCoreApplication::postEvent(run.dialog.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Return,
                                                                            Qt::NoModifier, "\r", repeat));
        };
        run.Click("ButtonScanFront");
        QCoreApplication::processEvents();
        QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r", true);
        QApplication::sendEvent(run.dialog.get(), &held);
        QCOMPARE(run.Page(), QString("PanelScanFront"));
        QCOMPARE(run.host.scans, 1);
        QVERIFY(busyCursor);
        QVERIFY(buttonsOff);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(run.host.aborts, 1);
        QVERIFY(run.wizard->Closed() && run.host.closeRequested);
        QVERIFY(!run.dialog->isVisible());
    }

    void closeBoxEndsTheRunEscapeDoesNot() {
        Run run;
        run.Install({"R1.txt"});
        run.Open();
        QTest::keyClick(run.dialog.get(), Qt::Key_Escape);
        QVERIFY(run.dialog->isVisible());
        QVERIFY(!run.wizard->Closed());
        run.dialog->close();
        QVERIFY(run.wizard->Closed());
        QVERIFY(run.host.closeRequested);
        QVERIFY(!run.host.lutReady);
        QVERIFY(!run.dialog->isVisible());
    }

    // "Help" and F1 ask the core for the page in view; on Start that is its page, not 1000.
    void helpButtonAndF1AskTheCoreForThePageInView() {
        Run run;
        run.Install({"R1.txt"});
        run.host.led = true;
        run.Open(20000);
        run.dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(run.dialog.get()));
        run.Click("ButtonHelp");
        QTest::keyClick(run.dialog.get(), Qt::Key_F1);
        run.Click("ButtonNext");
        QTest::keyClick(run.dialog.get(), Qt::Key_F1);
        run.Click("ButtonHelp");
        QCOMPARE(run.host.helpContexts, (std::vector<int>{11000, 11000, 13000, 13000}));
    }

    // The controller creates the wizard and tells the Qt desktop, which opens its window; a
    // closed wizard is let go at the next tick and the window follows it.
    void desktopOpensTheWindowAndDropsItWithTheWizard() {
        test::TempDir dir;
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.File("data")));
        test::MemoryUserStore store;
        store.keys["Software\\Zelmar GmbH\\Calvix"]["ExpertMode"] = std::int32_t{1};
        LinuxSystemInfo system;
        test::FakeClock clock;
        GuiShell shell;
        QtDesktop& desktop = shell.desktop;
        TMainFormular& core = shell.Build(MainFormPorts{desktop, store, system, clock, nullptr, nullptr, std::string()});
        core.controls.calibrationAssistent.enabled = true;
        core.MMFileCalibrationAssistentClick();
        AssistantDialog* shown = desktop.Assistant();
        QVERIFY(shown);
        QVERIFY(shown->isVisible());
        QCOMPARE(shown->Wizard(), core.Assistent());
        QPointer<AssistantDialog> watch(shown);
        QTest::mouseClick(shown->findChild<QPushButton*>("ButtonAbort"), Qt::LeftButton);
        QVERIFY(core.Assistent()->Closed());
        QVERIFY(!shown->isVisible());
        QVERIFY(!core.closeRequested);
        core.TimerTimer();
        QVERIFY(!core.Assistent());
        QVERIFY(!desktop.Assistant());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(watch.isNull());
        // The next command opens a new window over the new wizard.
        core.MMFileCalibrationAssistentClick();
        QVERIFY(desktop.Assistant() && desktop.Assistant()->isVisible());
        core.Close();
    }
};

QTEST_MAIN(AssistantDialogTest)
#include "AssistantDialogTest.moc"
