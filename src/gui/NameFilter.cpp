// Windows filter entries to Qt name filters.
#include "gui/NameFilter.h"

#include <QRegularExpression>
#include <QStringList>

namespace calvix {
namespace {

QStringList Patterns(const QString& text) {
    // Windows separates patterns by semicolons; blanks around them are no part of a pattern.
    static const QRegularExpression separators("[;\\s]+");
    QStringList patterns = text.split(separators, Qt::SkipEmptyParts);
    // Windows' "*.*" takes files without an extension too; Qt's would not.
    for (QString& pattern : patterns)
        if (pattern == "*.*") pattern = "*";
    return patterns;
}

}  // namespace

QString QtNameFilter(const std::string& filter) {
    const QString text = QString::fromStdString(filter);
    const qsizetype bar = text.indexOf('|');
    if (bar < 0) return text;
    QString label = text.left(bar).trimmed();
    const QStringList patterns = Patterns(text.mid(bar + 1));
    const qsizetype open = label.lastIndexOf('(');
    if (label.endsWith(')') && open >= 0 && Patterns(label.mid(open + 1, label.size() - open - 2)) == patterns)
        label = label.left(open).trimmed();
    const QString group = "(" + patterns.join(' ') + ")";
    return label.isEmpty() ? group : label + " " + group;
}

}  // namespace calvix
