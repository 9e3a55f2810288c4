// Character-level reading of reference files: words for the header and data-format blocks,
// lines for the data block. Everything is bounded by the caller's maximum lengths.
#include "it8ref/It8TextReader.h"

namespace calvix {

namespace {

bool IsWordSeparator(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

int It8TextReader::Peek() {
    const int c = std::getc(file_);
    if (c != EOF) std::ungetc(c, file_);
    return c;
}

int It8TextReader::Next() { return std::getc(file_); }

bool It8TextReader::AtEnd() { return Peek() == EOF; }

bool It8TextReader::ReadWord(std::string& word, bool& overlong, std::size_t maxLength) {
    word.clear();
    overlong = false;
    int c = Peek();
    while (c != EOF && IsWordSeparator(c)) {
        Next();
        c = Peek();
    }
    if (c == EOF) return false;
    while (c != EOF && !IsWordSeparator(c)) {
        Next();
        if (word.size() < maxLength) {
            word.push_back(static_cast<char>(c));
        } else {
            overlong = true;
        }
        c = Peek();
    }
    return true;
}

bool It8TextReader::ReadLine(std::string& line, bool& overlong, std::size_t maxLength) {
    line.clear();
    overlong = false;
    int c = Next();
    if (c == EOF) return false;
    while (c != EOF && c != '\n') {
        // A CR belongs to the line end when LF or the end of the file follows; any other CR
        // is an ordinary character of the line (value parsing treats it as white space).
        if (c == '\r') {
            const int after = Peek();
            if (after == '\n' || after == EOF) {
                c = Next();
                continue;
            }
            bareCarriageReturn_ = true;
        }
        if (line.size() < maxLength) {
            line.push_back(static_cast<char>(c));
        } else {
            overlong = true;
        }
        c = Next();
    }
    return true;
}

}  // namespace calvix
