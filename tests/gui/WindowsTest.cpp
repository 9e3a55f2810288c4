// The splash, about and help windows (offscreen), found by their objectNames: the splash list
// per mode, the about window's version and licences, and the help page of every help context
// in every language, opened from the language the core has in force.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest/QtTest>

#include "FakeClock.h"
#include "MemoryUserStore.h"
#include "TempDir.h"
#include "app/FormStatus.h"
#include "app/Splash.h"
#include "gui/AboutDialog.h"
#include "gui/HelpBrowser.h"
#include "gui/QtDesktop.h"
#include "gui/QtTexts.h"
#include "gui/SplashWindow.h"
#include "mainform/MainForm.h"
#include "platform/LinuxSystemInfo.h"

using namespace calvix;

namespace {

const int kHelpContexts[] = {100, 1000, 2000, 3000, 4000, 5000, 5100, 5200, 11000, 12000, 13000, 14000, 15000, 16000};
const char* const kLanguages[] = {"de", "en", "fr"};

// The help file the core names for a language: beside this program, as for calvix itself.
std::string HelpFileFor(const QString& suffix) {
    return (QCoreApplication::applicationDirPath() + "/Calvix" + suffix + ".chm").toStdString();
}

QWidget* TopLevel(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return w;
    return nullptr;
}

}  // namespace

class WindowsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { LogWriter.SetEcho(false); }

    // Qt's own texts, such as the buttons of the message boxes, follow the language in force.
    void qtTextsFollowTheLanguage() {
        const std::pair<int, const char*> rows[] = {{0, "Wiederholen"}, {20000, "Réessayer"}, {10000, "Retry"}};
        for (const auto& [base, retry] : rows) {
            FollowLanguageInQtTexts(base);
            QMessageBox box(QMessageBox::NoIcon, "title", "text", QMessageBox::Retry | QMessageBox::Cancel);
            QCOMPARE(box.button(QMessageBox::Retry)->text().remove('&'), QString::fromUtf8(retry));
        }
    }

    void splashShowsVersionAndTheLogListInNormalModeOnly() {
        for (const bool normal : {true, false}) {
            TFormSplash state("v1.1.0 build#7", normal);
            SplashWindow window(state);
            window.show();
            QCOMPARE(window.objectName(), QString("FormSplash"));
            QCOMPARE(window.findChild<QLabel*>("LabelVersion")->text(), QString("v1.1.0 build#7"));
            auto* list = window.findChild<QListWidget*>("ListBoxLog");
            QCOMPARE(list->isVisible(), normal);
            state.Append("STA: scanner found");
            QCOMPARE(list->count(), 2);
            QCOMPARE(list->item(0)->text(), QString(">>>  Zelmar Calvix <<<"));
            QCOMPARE(list->item(1)->text(), QString("STA: scanner found"));
            // The banner is painted: its corner is the dark blue of the Zelmar look.
            QWidget* banner = window.findChild<QWidget*>("ImageLogo");
            QVERIFY(banner);
            const QColor corner = banner->grab().toImage().pixelColor(2, 2);
            QVERIFY2(corner.blue() > corner.red() + 40, qPrintable(corner.name()));
        }
    }

    void helpPageOfAContextAndLanguage() {
        struct Case {
            const char* suffix;
            int context;
            const char* page;
        };
        const Case cases[] = {
            {"_de", 11000, "/de/11000.html"}, {"_fr", 0, "/fr/index.html"},   {"_en", 4711, "/en/index.html"},
            {"_FR", 2000, "/fr/2000.html"},   {"_nl", 1000, "/en/1000.html"}, {"", 5200, "/en/5200.html"},
            {"_de", -1, "/de/index.html"},
        };
        for (const Case& c : cases) {
            const QString page = HelpPage(HelpFileFor(c.suffix), c.context);
            QVERIFY2(page.endsWith(c.page), qPrintable(page));
            QVERIFY2(QFile::exists(page), qPrintable(page));
        }
        // A help file without a folder of its own: the pages beside this program.
        QCOMPARE(HelpPage("Calvix_de.chm", 100), HelpPage(HelpFileFor("_de"), 100));
    }

    // Every help context has its own page in every language, each page names its language and
    // has a title, and no link leads nowhere.
    void everyContextHasAPageAndEveryLinkResolves() {
        const QRegularExpression link("href=\"([^\"#]*)(#[^\"]*)?\"");
        for (const char* language : kLanguages) {
            const QString folder = HelpFolder(HelpFileFor(QString("_") + language));
            QVERIFY2(folder.endsWith(QString("/") + language), qPrintable(folder));
            for (int context : kHelpContexts)
                QVERIFY2(
                    HelpPage(HelpFileFor(QString("_") + language), context).endsWith(QString("/%1.html").arg(context)),
                    qPrintable(QString("%1 %2").arg(language).arg(context)));
            const QStringList pages = QDir(folder).entryList({"*.html"});
            QVERIFY(pages.size() >= 14);
            for (const QString& name : pages) {
                QFile file(folder + "/" + name);
                QVERIFY(file.open(QIODevice::ReadOnly));
                const QString html = QString::fromUtf8(file.readAll());
                const QString where = QString(language) + "/" + name;
                QVERIFY2(html.contains(QString("<html lang=\"%1\">").arg(language)), qPrintable(where));
                QVERIFY2(QRegularExpression("<title>[^<]+</title>").match(html).hasMatch(), qPrintable(where));
                for (auto it = link.globalMatch(html); it.hasNext();) {
                    const QString target = it.next().captured(1);
                    if (target.isEmpty() || target.startsWith("http")) continue;
                    QVERIFY2(QFile::exists(folder + "/" + target), qPrintable(where + " -> " + target));
                }
            }
        }
    }

    // The language the core has in force picks the pages; the browser is one window.
    void helpOpensInTheCoresLanguageAtThePageOfTheContext() {
        test::TempDir dir;
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.File("data")));
        qputenv("LC_ALL", "fr_FR.UTF-8");
        test::MemoryUserStore store;
        store.keys["Software\\Zelmar GmbH\\Calvix"];  // language follows the system
        LinuxSystemInfo system;
        test::FakeClock clock;
        QtDesktop desktop;
        TMainFormular core(MainFormPorts{desktop, store, system, clock, nullptr, nullptr, std::string()});
        desktop.Attach(nullptr, &core);
        QVERIFY(QString::fromStdString(core.HelpFile()).endsWith("/Calvix_fr.chm"));

        ShowHelp(nullptr, 12000);
        HelpBrowser* browser = HelpBrowser::Current();
        QVERIFY(browser);
        QCOMPARE(TopLevel("HelpBrowser"), static_cast<QWidget*>(browser));
        auto* text = browser->findChild<QTextBrowser*>("HelpText");
        QVERIFY(text->source().toLocalFile().endsWith("/fr/12000.html"));
        QCOMPARE(text->documentTitle(), QString::fromUtf8("Assistant\u00a0: Préchauffage"));
        QVERIFY(browser->windowTitle().contains(text->documentTitle()));
        QCOMPARE(browser->findChild<QToolButton*>("ButtonHelpContents")->text(), QString("Sommaire"));
        QVERIFY(text->toPlainText().contains("300 secondes"));

        QTest::mouseClick(browser->findChild<QToolButton*>("ButtonHelpContents"), Qt::LeftButton);
        QVERIFY(text->source().toLocalFile().endsWith("/fr/index.html"));
        QVERIFY(browser->findChild<QToolButton*>("ButtonHelpBack")->isEnabled());

        // The core's help router, as the wizard's Help reaches it, in the language switched to.
        core.ComboBoxLanguageSelectorChange("Deutsch");
        desktop.ShowHelp(core.HelpFile(), 15000);
        QCOMPARE(HelpBrowser::Current(), browser);
        QVERIFY(text->source().toLocalFile().endsWith("/de/15000.html"));
        QCOMPARE(browser->findChild<QToolButton*>("ButtonHelpContents")->text(), QString("Inhalt"));
        browser->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!HelpBrowser::Current());
        qunsetenv("LC_ALL");
        core.Close();
    }

    void aboutShowsVersionFilesAndLicences() {
        test::TempDir dir;
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.File("data")));
        test::MemoryUserStore store;
        LinuxSystemInfo system;
        test::FakeClock clock;
        QtDesktop desktop;
        TMainFormular core(
            MainFormPorts{desktop, store, system, clock, nullptr, nullptr, {}, nullptr, {}, dir.File("icc")});
        core.scannerSerial = "Q71-00042";
        core.duplexScanner = true;

        ShowAboutDialog(nullptr, core);
        QWidget* about = TopLevel("AboutBox");
        QVERIFY(about && !about->isModal() && !QApplication::activeModalWidget());
        QCOMPARE(about->findChild<QLabel*>("LabelVersion")->text(),
                 "Version " + QString::fromStdString(core.versionText));
        QVERIFY(about->findChild<QLabel*>("LabelBuild")->text().contains(qVersion()));
        const QString files = about->findChild<QLabel*>("LabelFiles")->text();
        QVERIFY(files.contains(QString::fromStdString(core.AppDataFolder()).toHtmlEscaped()));
        QVERIFY(files.contains("Q71-00042, duplex"));
        QVERIFY(files.contains(QString::fromStdString(dir.File("icc")).toHtmlEscaped()));
        const QString licences = about->findChild<QTextBrowser*>("MemoLibraries")->toPlainText();
        for (const char* expected : {"Qt 6", "GNU LGPL v3", "libjpeg-turbo", "IJG License", "CLI11", "GoogleTest",
                                     "BSD 3-Clause", "Google Benchmark", "Apache License 2.0", "Little CMS 2",
                                     "MIT License", "libtiff", "nlohmann-json"})
            QVERIFY2(licences.contains(expected), expected);

        ShowAboutDialog(nullptr, core);
        int open = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) open += w->objectName() == "AboutBox";
        QCOMPARE(open, 1);
        QTest::mouseClick(about->findChild<QAbstractButton*>("ButtonOK"), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!TopLevel("AboutBox"));
        core.Close();
    }
};

QTEST_MAIN(WindowsTest)
#include "WindowsTest.moc"
