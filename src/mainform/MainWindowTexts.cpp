// The main window's captions, looked up like every other text of the string table.
#include "mainform/MainWindowTexts.h"

#include "app/StringTable.h"

namespace calvix {

std::string MainWindowText(int textBase, MainWindowTextId id) {
    std::string text = LookupText(textBase + id);
    return text.empty() ? LookupText(TextBaseEnglish + id) : text;
}

}  // namespace calvix
