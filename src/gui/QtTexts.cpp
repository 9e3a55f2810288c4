// One translator for Qt's own texts, replaced when the language changes.
#include "gui/QtTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace calvix {

void FollowLanguageInQtTexts(int textBase) {
    static std::unique_ptr<QTranslator> installed;
    static int installedBase = 10000;  // Qt's texts are English without a translator
    if (textBase == installedBase) return;
    installedBase = textBase;
    if (installed) QCoreApplication::removeTranslator(installed.get());
    installed.reset();
    // Every base other than German and French stands for English, as the string table reads it.
    const char* code = textBase == 0 ? "de" : textBase == 20000 ? "fr" : nullptr;
    if (!code) return;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QString("qtbase_") + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) return;
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
}

}  // namespace calvix
