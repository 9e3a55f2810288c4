// A whole calibration clicked through the wizard's window, in expert mode, against the real
// q71-emulator, TWAIN manager, Q71 data source and service library: the window follows the
// core page by page, scans both sides and finishing leaves a LUT that shut-down uploads.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest/QtTest>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "EmulatorProcess.h"
#include "MemoryUserStore.h"
#include "TempDir.h"
#include "TestData.h"
#include "app/Clock.h"
#include "app/FormStatus.h"
#include "assistant/assistent.h"
#include "gui/AssistantDialog.h"
#include "gui/GuiShell.h"
#include "gui/QtMessagePump.h"
#include "mainform/MainForm.h"
#include "platform/DlDynamicLibrary.h"
#include "platform/FlockNamedLock.h"
#include "platform/LinuxSystemInfo.h"

using namespace calvix;

namespace {

const std::string kR1 = std::string(CALVIX_TEST_DATA_DIR) + "/it8/R1.txt";

}  // namespace

class WizardRunTest : public QObject {
    Q_OBJECT
private slots:
    void expertModeRunClickedThroughAgainstTheEmulator() {
        LogWriter.SetEcho(false);
        test::TempDir dir;
        const std::string data = dir.File("data/Zelmar GmbH/Calvix");
        std::filesystem::create_directories(data);
        std::filesystem::copy_file(kR1, data + "/R1.txt");
        std::ofstream(data + "/it8ref.lst") << "R1.txt\r\n";
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.File("data")));
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(dir.Path()));
        test::EmulatorProcess emulator(dir.File("device.state"), dir.File("emulator.log"),
                                       {"--feed", "chart-on=front,it8=" + kR1, "--feed", "chart-on=rear,it8=" + kR1});
        QVERIFY(emulator.Started());
        test::ScopedDeviceAddress address(emulator.Address());

        test::MemoryUserStore store;
        auto& key = store.keys["Software\\Zelmar GmbH\\Calvix"];
        key["ExpertMode"] = 1;
        key["SearchScanner"] = 1;
        key["WarmUpTime"] = 0;
        key["ListIT8Index"] = 0;
        LinuxSystemInfo system;
        FlockNamedLock lock;
        QtMessagePump pump;
        GuiShell shell;
        MainFormPorts ports{shell.desktop, store, system, SystemClock(), &lock,
                            [] { return std::make_unique<DlDynamicLibrary>(); }, CALVIX_SYSTEM_DIR_BUILD, &pump};
        ports.iccFolder = dir.File("icc");
        TMainFormular& core = shell.Build(std::move(ports));

        // A message box would wait for an operator: note it, answer it, and fail.
        QStringList messages;
        QTimer boxes;
        connect(&boxes, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    messages << box->text();
                    box->done(QMessageBox::Ok);
                }
        });
        boxes.start(50);

        for (int i = 0; i < 100 && !core.controls.calibrationAssistent.enabled; ++i) core.TimerTimer();
        QVERIFY2(core.calibModeOn, "calibration mode not entered");
        QVERIFY(core.controls.calibrationAssistent.enabled);
        core.MMFileCalibrationAssistentClick();
        AssistantDialog* dialog = shell.desktop.Assistant();
        QVERIFY(dialog && dialog->isVisible());
        auto button = [dialog](const char* name) { return dialog->findChild<QPushButton*>(name); };
        auto page = [dialog] { return dialog->findChild<QStackedWidget*>("PageControl")->currentWidget()->objectName(); };
        auto click = [&](const char* name) {
            QVERIFY2(button(name)->isEnabled(), name);
            QTest::mouseClick(button(name), Qt::LeftButton);
        };

        QCOMPARE(page(), QString("PanelCalStart"));
        click("ButtonNext");
        QCOMPARE(page(), QString("PanelWarmup"));
        // The countdown of 0 s ends a whole second after calibration mode was entered.
        QTRY_VERIFY_WITH_TIMEOUT(button("ButtonNext")->isEnabled(), 5000);
        click("ButtonNext");
        QCOMPARE(page(), QString("PanelScanFront"));
        click("ButtonScanFront");
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join(" | ")));
        QVERIFY(!button("ButtonScanFront")->isEnabled());
        QVERIFY(dialog->findChild<QLabel*>("LabelScanResultFront")->text().startsWith("Result: passed"));
        QVERIFY(!dialog->findChild<QLabel*>("LabelScanResultRear")->isVisibleTo(dialog));
        click("ButtonNext");
        QCOMPARE(page(), QString("PanelScanRear"));
        click("ButtonScanRear");
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join(" | ")));
        click("ButtonNext");
        QCOMPARE(page(), QString("PanelFinished"));
        QCOMPARE(button("ButtonNext")->text(), QString("Finish"));
        click("ButtonNext");
        QVERIFY(core.lutReady);
        QVERIFY(!dialog->isVisible());
        // Expert mode: the main window stays until it is closed, and then uploads.
        QVERIFY(!core.Closed());
        shell.window.close();
        QVERIFY(core.Closed());
        QVERIFY(core.lutSent);
        // Finish made one profile per side once the scanner had the LUT.
        QCOMPARE(core.profileReports.size(), std::size_t{2});
        for (const char* side : {"front", "rear"})
            QVERIFY(QFileInfo(QString::fromStdString(dir.File("icc/Zelmar-Q71-" + core.scannerSerial + "-" + side + ".icc"))).size() > 1000);
        QCOMPARE(messages.size(), 1);
        for (const char* side : {"front", "rear"})
            QVERIFY(messages[0].contains(QString::fromStdString(std::string(side) + " side: " + dir.File("icc/Zelmar-Q71-" + core.scannerSerial + "-" + side + ".icc"))));
    }
};

QTEST_MAIN(WizardRunTest)
#include "WizardRunTest.moc"
