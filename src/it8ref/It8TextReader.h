// A bounded reader for CGATS text: white-space separated words and whole lines, with either
// line end, over a file. Over-long words and lines are consumed whole and reported, never
// split, so a hostile file can neither overflow a buffer nor make the reader stall.
#pragma once

#include <cstdio>
#include <string>

namespace calvix {

class It8TextReader {
public:
    explicit It8TextReader(std::FILE* file) : file_(file) {}

    // Skips white space, then reads one word of at most maxLength characters; the white
    // space after it stays unread. False when the file ends before a word begins.
    // `overlong` tells that the word was longer; `word` then holds its first maxLength.
    bool ReadWord(std::string& word, bool& overlong, std::size_t maxLength);

    // Reads the rest of the current line without its line end (LF, or CR LF; a CR right
    // before the end of the file also counts as a line end). Returns false when nothing at
    // all was left to read. `overlong` as for ReadWord.
    bool ReadLine(std::string& line, bool& overlong, std::size_t maxLength);

    // True when the next read would find the end of the file (or a read error).
    bool AtEnd();
    bool Failed() const { return std::ferror(file_) != 0; }
    // A carriage return inside a line read by ReadLine, followed by neither a line feed nor
    // the end: the mark of a file whose lines end in a carriage return alone.
    bool SawBareCarriageReturn() const { return bareCarriageReturn_; }

private:
    int Peek();
    int Next();

    std::FILE* file_;
    bool bareCarriageReturn_ = false;
};

}  // namespace calvix
