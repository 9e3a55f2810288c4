// Splash lines looked up by their English start in the string table.
#include "mainform/SplashTexts.h"

#include "app/StringTable.h"

namespace calvix {

std::string SplashLineFor(int textBase, const std::string& fullLine) {
    if (textBase == TextBaseEnglish) return fullLine;
    // The list shows the log's kind ("STA: ", "ERR: ") before the text; it stays.
    const std::size_t kind = fullLine.size() > 5 && fullLine.compare(3, 2, ": ") == 0 ? 5 : 0;
    const std::string tag = fullLine.substr(0, kind);
    const std::string line = fullLine.substr(kind);
    std::size_t matched = 0;
    std::string shown;
    for (int id = SplashTextFirst; id <= SplashTextLast; ++id) {
        const std::string english = LookupText(TextBaseEnglish + id);
        if (english.empty() || english.size() <= matched || line.compare(0, english.size(), english) != 0) continue;
        const std::string translated = LookupText(textBase + id);
        if (translated.empty()) continue;
        matched = english.size();
        shown = translated;
    }
    return matched == 0 ? fullLine : tag + shown + line.substr(matched);
}

}  // namespace calvix
