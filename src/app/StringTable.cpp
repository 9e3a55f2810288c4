// LoadText over the compiled-in string table.
#include "app/StringTable.h"

namespace calvix {
namespace {
int g_textBase = 0;
std::string g_loadBuffer;
constexpr std::size_t kMaxTextLength = 254;
}  // namespace

int CurrentTextBase() { return g_textBase; }
void SetCurrentTextBase(int base) { g_textBase = base; }

std::string LookupText(int textId) {
    for (const StringTableEntry& e : StringTableEntries()) {
        if (textId == e.messageId + TextBaseGerman) return e.german;
        if (textId == e.messageId + TextBaseEnglish) return e.english;
        if (textId == e.messageId + TextBaseFrench) return e.french;
    }
    return {};
}

const std::string& LoadText(int id) {
    g_loadBuffer = LookupText(g_textBase + id);
    if (g_loadBuffer.size() > kMaxTextLength) g_loadBuffer.resize(kMaxTextLength);
    return g_loadBuffer;
}

std::string FillText(const std::string& text, std::initializer_list<std::string> values) {
    std::string out;
    std::size_t from = 0;
    for (const std::string& value : values) {
        const std::size_t at = text.find("%s", from);
        if (at == std::string::npos) break;
        out.append(text, from, at - from).append(value);
        from = at + 2;
    }
    return out.append(text, from, std::string::npos);
}

}  // namespace calvix
