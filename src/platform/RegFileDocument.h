// The user store file in the regedit text format, held as its own lines: values are found by
// key and name, and a write replaces or inserts only the line of that one value, so comments,
// default values, multi-line values, other keys and the file's encoding stay as they were.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calvix {

class RegFileDocument {
public:
    enum class Encoding { Plain, Utf8Bom, Utf16Le };
    // One value as stored: a dword (its hex digits), a text (unescaped), or any other kind
    // (hex:, multi-line, ...) that reads as neither.
    enum class Kind { Dword, String, Other };
    struct Value {
        Kind kind = Kind::Other;
        std::string text;
    };

    // Reads the bytes of a store file; nothing, with the reason in error, when they are not a
    // text this store understands (binary content, broken UTF-16, a key line without its ']',
    // a bare carriage return). Such a file must be left as it is.
    static std::optional<RegFileDocument> Parse(std::string_view bytes, std::string& error);

    bool HasKey(std::string_view keyPath) const;
    // The value as the registry editor would import it: the last one of that name in the key.
    std::optional<Value> Find(std::string_view keyPath, std::string_view name) const;
    void AddKey(std::string_view keyPath);
    // Replaces the value's line(s), or adds the line at the end of the key (the key at the end
    // of the file when it is missing). False, with nothing changed, for a value that
    // cannot be written as one line (a line break in it, or a kind other than dword and text).
    bool Set(std::string_view keyPath, std::string_view name, const Value& value);
    // The file's bytes in the encoding read; nothing when a value cannot be written in it.
    std::optional<std::string> Bytes() const;

    Encoding encoding() const { return encoding_; }

private:
    struct Line {
        std::string text;  // without its line end
        std::string end;   // "\r\n", "\n", or "" for a last line without one
    };
    struct Entry {
        std::size_t key;    // index into keys_
        std::string name;   // as written in the file
        Value value;
        std::size_t first;  // its lines: first, and continuation lines up to last
        std::size_t last;
    };
    struct KeyHeader {
        std::string path;  // without leading backslashes
        std::size_t line;
    };

    // Classifies every line; false (with error) when the text is not understood.
    bool Index(std::string& error);
    const Entry* FindEntry(std::string_view keyPath, std::string_view name) const;
    std::string NewLineEnd() const;
    void AppendLine(std::string text);

    Encoding encoding_ = Encoding::Plain;
    std::vector<Line> lines_;
    std::vector<KeyHeader> keys_;
    std::vector<Entry> entries_;
};

}  // namespace calvix
