// The in-app help: HTML pages per language, installed beside the program under
// share/calvix/help/<language>/, shown in one help browser window at the page of a help context.
// The language is the one of the application's help file (".../Calvix_de.chm" gives "de").
#pragma once

#include <QWidget>

#include <functional>
#include <string>

class QTextBrowser;
class QToolButton;

namespace calvix {

// The folder of the pages that stand for a help file: <program folder>/../share/calvix/help/<xx>
// for "<program folder>/Calvix_<xx>.chm"; the English folder when that language has none.
QString HelpFolder(const std::string& helpFile);
// The page of a help context (<context>.html in that folder); the contents page (index.html)
// for context 0 and for a context without a page of its own.
QString HelpPage(const std::string& helpFile, int helpContext);

// Where ShowHelp finds the help file in force: the controller's, which follows the language.
void SetHelpFileSource(std::function<std::string()> source);

// The help context that stands for the contents page.
inline constexpr int HelpContentsContext = 0;

// Opens the help browser, or brings the open one forward, at the page of the help context in
// the language in force.
void ShowHelp(QWidget* parent, int helpContext);
void ShowHelpFile(QWidget* parent, const std::string& helpFile, int helpContext);

// The help browser window: the page, and buttons for the contents page, back and forward.
class HelpBrowser final : public QWidget {
    Q_OBJECT
public:
    explicit HelpBrowser(QWidget* parent);
    void Open(const QString& page, const QString& contents);
    // The open one, or none.
    static HelpBrowser* Current();

private:
    void Retitle();
    QTextBrowser* text_;
    QToolButton* contents_;
    QToolButton* back_;
    QToolButton* forward_;
    QString contentsPage_;
    QString baseTitle_;
};

}  // namespace calvix
