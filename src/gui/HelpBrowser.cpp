// Finds the page of a help context in the language's folder and shows it in the help browser.
#include "gui/HelpBrowser.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace calvix {

namespace {

std::function<std::string()>& HelpFileSource() {
    static std::function<std::string()> source;
    return source;
}

QPointer<HelpBrowser>& OpenBrowser() {
    static QPointer<HelpBrowser> browser;
    return browser;
}

// "de" of ".../Calvix_de.chm"; empty when the name is not of that form.
QString LanguageCode(const QString& fileName) {
    if (!fileName.endsWith(".chm", Qt::CaseInsensitive)) return {};
    const QString stem = fileName.left(fileName.size() - 4);
    const qsizetype bar = stem.lastIndexOf('_');
    if (bar < 0) return {};
    const QString code = stem.mid(bar + 1).toLower();
    return code.size() == 2 && code[0].isLetter() && code[1].isLetter() ? code : QString();
}

struct BrowserTexts {
    const char* code;
    const char* contents;
    const char* back;
    const char* forward;
    const char* title;
};
constexpr BrowserTexts kTexts[] = {
    {"en", "Contents", "Back", "Forward", "Calvix Help"},
    {"de", "Inhalt", "Zurück", "Vor", "Calvix Hilfe"},
    {"fr", "Sommaire", "Précédent", "Suivant", "Aide de Calvix"},
};

const BrowserTexts& TextsFor(const QString& folder) {
    const QString code = QFileInfo(folder).fileName();
    for (const BrowserTexts& t : kTexts)
        if (code == QLatin1String(t.code)) return t;
    return kTexts[0];
}

}  // namespace

QString HelpFolder(const std::string& helpFile) {
    const QString path = QString::fromStdString(helpFile);
    const qsizetype slash = std::max(path.lastIndexOf('/'), path.lastIndexOf('\\'));
    // Without a folder of its own the help file sits beside this program.
    const QString programDir = slash < 0 ? QCoreApplication::applicationDirPath() : path.left(slash);
    const QString root = QDir::cleanPath(programDir + "/../share/calvix/help");
    const QString code = LanguageCode(path.mid(slash + 1));
    if (!code.isEmpty() && QFileInfo::exists(root + "/" + code + "/index.html")) return root + "/" + code;
    return root + "/en";
}

QString HelpPage(const std::string& helpFile, int helpContext) {
    const QString folder = HelpFolder(helpFile);
    if (helpContext > 0) {
        const QString page = folder + QString("/%1.html").arg(helpContext);
        if (QFileInfo::exists(page)) return page;
    }
    return folder + "/index.html";
}

void SetHelpFileSource(std::function<std::string()> source) { HelpFileSource() = std::move(source); }

void ShowHelp(QWidget* parent, int helpContext) {
    const auto& source = HelpFileSource();
    ShowHelpFile(parent, source ? source() : std::string(), helpContext);
}

void ShowHelpFile(QWidget* parent, const std::string& helpFile, int helpContext) {
    QPointer<HelpBrowser>& browser = OpenBrowser();
    if (!browser) browser = new HelpBrowser(parent ? parent->window() : nullptr);
    browser->Open(HelpPage(helpFile, helpContext), HelpPage(helpFile, 0));
}

HelpBrowser* HelpBrowser::Current() { return OpenBrowser().data(); }

HelpBrowser::HelpBrowser(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("HelpBrowser");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(720, 560);
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    contents_ = new QToolButton(this);
    contents_->setObjectName("ButtonHelpContents");
    back_ = new QToolButton(this);
    back_->setObjectName("ButtonHelpBack");
    forward_ = new QToolButton(this);
    forward_->setObjectName("ButtonHelpForward");
    contents_->setIcon(style()->standardIcon(QStyle::SP_DirHomeIcon));
    back_->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    forward_->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    for (QToolButton* b : {contents_, back_, forward_}) {
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        bar->addWidget(b);
    }
    bar->addStretch();
    text_ = new QTextBrowser(this);
    text_->setObjectName("HelpText");
    text_->setOpenExternalLinks(true);
    layout->addLayout(bar);
    layout->addWidget(text_);
    connect(contents_, &QToolButton::clicked, this, [this] { text_->setSource(QUrl::fromLocalFile(contentsPage_)); });
    connect(back_, &QToolButton::clicked, text_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, text_, &QTextBrowser::forward);
    connect(text_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(text_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
    connect(text_, &QTextBrowser::sourceChanged, this, [this] { Retitle(); });
    back_->setEnabled(false);
    forward_->setEnabled(false);
}

void HelpBrowser::Open(const QString& page, const QString& contents) {
    contentsPage_ = contents;
    const BrowserTexts& texts = TextsFor(QFileInfo(contents).path());
    contents_->setText(QString::fromUtf8(texts.contents));
    back_->setText(QString::fromUtf8(texts.back));
    forward_->setText(QString::fromUtf8(texts.forward));
    baseTitle_ = QString::fromUtf8(texts.title);
    // The captions differ in length between the languages: size the buttons to them now.
    layout()->activate();
    text_->setSource(QUrl::fromLocalFile(page));
    Retitle();
    show();
    raise();
    activateWindow();
}

void HelpBrowser::Retitle() {
    const QString page = text_->documentTitle();
    setWindowTitle(page.isEmpty() ? baseTitle_ : baseTitle_ + " - " + page);
}

}  // namespace calvix
