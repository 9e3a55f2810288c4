// The program's string table and LoadText: a text id is the language's text base plus the
// message id; texts are cut to 254 characters as the shared 255-byte buffer holds.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace calvix {

inline constexpr int TextBaseGerman = 0;
inline constexpr int TextBaseEnglish = 10000;
inline constexpr int TextBaseFrench = 20000;

struct StringTableEntry {
    int messageId;
    const char* german;
    const char* english;
    const char* french;
};

const std::vector<StringTableEntry>& StringTableEntries();

// The raw table entry for a full text id (base + message id); empty when there is none.
std::string LookupText(int textId);

// The text base in force, set by TranslateForm / TranslateAll.
int CurrentTextBase();
void SetCurrentTextBase(int base);

// Text base + id from the table, at most 254 bytes, empty when missing. The returned reference
// is the shared buffer that the next call overwrites.
const std::string& LoadText(int id);

// The text with each "%s" replaced by the next value, in order; a text of another language
// may place them elsewhere, and one without enough of them keeps the rest out.
std::string FillText(const std::string& text, std::initializer_list<std::string> values);

}  // namespace calvix
