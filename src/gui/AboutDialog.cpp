// Fills the about window from the controller's version text and paths and the libraries'
// own version macros.
#include "gui/AboutDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QtGlobal>

#include <cstdio>

#include <jpeglib.h>

#include "app/FormStatus.h"
#include "gui/SplashBanner.h"
#include "mainform/MainForm.h"

namespace calvix {

namespace {

struct Library {
    const char* name;
    const char* use;
    const char* licence;
};

constexpr Library kLibraries[] = {
    {"Qt 6 (Core, Gui, Widgets)", "windows, dialogs, help browser", "GNU LGPL v3"},
    {"libjpeg-turbo", "reading JPEG images", "IJG License, BSD 3-Clause, zlib License"},
    {"Little CMS 2", "colour spaces, \u0394E, ICC profiles read, written and applied", "MIT License"},
    {"libtiff", "archival TIFF scans with the ICC profile embedded", "libtiff License (BSD-like)"},
    {"nlohmann-json", "reports and history of the command-line tools, not in the program", "MIT License"},
    {"CLI11", "options of the command-line tools, not in the program", "BSD 3-Clause"},
    {"GoogleTest", "unit tests only, not in the program", "BSD 3-Clause"},
    {"Google Benchmark", "benchmarks only, not in the program", "Apache License 2.0"},
};

QString Escaped(const std::string& text) { return QString::fromStdString(text).toHtmlEscaped(); }

QString LicenceTable() {
    QString html =
        "<table cellspacing='0' cellpadding='3' width='100%'>"
        "<tr><th align='left'>Library</th><th align='left'>Used for</th>"
        "<th align='left'>Licence</th></tr>";
    for (const Library& l : kLibraries)
        html += QString("<tr><td>%1</td><td>%2</td><td>%3</td></tr>").arg(l.name, l.use, l.licence);
    return html + "</table>";
}

QString FilesTable(TMainFormular& core) {
    const std::string none = "(none)";
    auto row = [](const char* what, const std::string& value) {
        return QString("<tr><td>%1</td><td>%2</td></tr>").arg(what, Escaped(value));
    };
    QString html = "<table cellspacing='0' cellpadding='3'>";
    html += row("Data folder", core.AppDataFolder().empty() ? none : core.AppDataFolder());
    html += row("Log file", LogWriter.FileName().empty() ? none : LogWriter.FileName());
    html += row("Settings", core.IniFileName().empty() ? none : core.IniFileName());
    html += row("ICC profiles", core.IccFolder().empty() ? none : core.IccFolder());
    if (!core.scannerSerial.empty())
        html += row("Scanner", "Q71 " + core.scannerSerial + (core.duplexScanner ? ", duplex" : ", simplex") +
                                   (core.ledScanner ? ", LED" : ", lamps"));
    return html + "</table>";
}

}  // namespace

QString BuildDescription() {
    char jpeg[32];
    std::snprintf(jpeg, sizeof jpeg, "%d.%d.%d", LIBJPEG_TURBO_VERSION_NUMBER / 1000000,
                  LIBJPEG_TURBO_VERSION_NUMBER / 1000 % 1000, LIBJPEG_TURBO_VERSION_NUMBER % 1000);
    return QString("Built with GCC %1.%2.%3 and Qt %4 (running on Qt %5), libjpeg-turbo %6")
        .arg(__GNUC__)
        .arg(__GNUC_MINOR__)
        .arg(__GNUC_PATCHLEVEL__)
        .arg(QT_VERSION_STR, qVersion(), jpeg);
}

AboutDialog::AboutDialog(QWidget* parent, TMainFormular& core) : QDialog(parent) {
    CALVIX_LOG_DBG(unit::about, "TAboutBox::TAboutBox()");
    setObjectName("AboutBox");
    setWindowTitle("About Calvix");
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 10);
    layout->addWidget(new SplashBanner(this));
    auto* body = new QVBoxLayout;
    body->setContentsMargins(16, 8, 16, 0);
    layout->addLayout(body);
    auto add = [this, body](const char* name, const QString& text) {
        auto* label = new QLabel(text, this);
        label->setObjectName(name);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setWordWrap(true);
        body->addWidget(label);
        return label;
    };
    add("LabelProduct", "<b>Calvix</b> - colour calibration for the Zelmar Q71 duplex scanner");
    add("LabelVersion", "Version " + Escaped(core.versionText));
    add("LabelBuild", BuildDescription());
    add("LabelCopyright", "Copyright \u00a9 Zelmar GmbH. All rights reserved.");
    add("LabelFiles", FilesTable(core));
    auto* libraries = new QTextBrowser(this);
    libraries->setObjectName("MemoLibraries");
    libraries->setHtml(LicenceTable());
    libraries->setMinimumHeight(150);
    body->addWidget(libraries);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ButtonOK");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    body->addWidget(buttons);
    resize(560, 520);
}

void ShowAboutDialog(QWidget* parent, TMainFormular& core) {
    static QPointer<AboutDialog> open;
    if (!open) open = new AboutDialog(parent, core);
    open->show();
    open->raise();
    open->activateWindow();
}

}  // namespace calvix
