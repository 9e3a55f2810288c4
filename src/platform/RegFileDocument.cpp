// The regedit-format store file as lines: decoding, classifying each line, and single-value edits.
#include "platform/RegFileDocument.h"

#include <cctype>
#include <cstdio>

#include "platform/Utf16Text.h"

namespace calvix {
namespace {

constexpr std::string_view kUtf16Bom = "\xFF\xFE";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr const char* kHeaderLine = "Windows Registry Editor Version 5.00";

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string_view NormaliseKeyPath(std::string_view path) {
    while (!path.empty() && (path.front() == '\\' || path.front() == '/')) path.remove_prefix(1);
    // A registry editor's export names the root of the current user's keys; this store is
    // that root, so "[HKEY_CURRENT_USER\Software\...]" is the key "Software\...".
    constexpr std::string_view root = "HKEY_CURRENT_USER\\";
    if (path.size() >= root.size() && EqualNoCase(path.substr(0, root.size()), root)) path.remove_prefix(root.size());
    return path;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// A line ending in a backslash continues on the next line (long hex: values).
bool Continues(std::string_view s) {
    s = TrimRight(s);
    return !s.empty() && s.back() == '\\';
}

// Reads a quoted, backslash-escaped text starting at text[pos] == '"'; pos ends after it.
bool ReadQuoted(std::string_view text, std::size_t& pos, std::string& out) {
    if (pos >= text.size() || text[pos] != '"') return false;
    out.clear();
    for (++pos; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '\\' && pos + 1 < text.size()) {
            out += text[++pos];
        } else if (c == '"') {
            ++pos;
            return true;
        } else {
            out += c;
        }
    }
    return false;
}

std::string Quote(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

bool IsHexDword(std::string_view s) {
    if (s.empty() || s.size() > 8) return false;
    for (char c : s)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// The value on the right of '=', and whether it goes on over the next line.
RegFileDocument::Value ClassifyValue(std::string_view rhs, bool& continues) {
    using Kind = RegFileDocument::Kind;
    continues = false;
    if (rhs.substr(0, 6) == "dword:" && IsHexDword(rhs.substr(6))) return {Kind::Dword, std::string(rhs.substr(6))};
    if (!rhs.empty() && rhs.front() == '"') {
        std::size_t pos = 0;
        std::string text;
        if (ReadQuoted(rhs, pos, text) && pos == rhs.size()) return {Kind::String, text};
        return {Kind::Other, std::string(rhs)};
    }
    continues = Continues(rhs);
    return {Kind::Other, std::string(rhs)};
}

bool HasLineBreakingCharacter(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return true;
    return false;
}

}  // namespace

std::optional<RegFileDocument> RegFileDocument::Parse(std::string_view bytes, std::string& error) {
    RegFileDocument doc;
    std::string text;
    if (bytes.substr(0, 2) == kUtf16Bom) {
        doc.encoding_ = Encoding::Utf16Le;
        if (!Utf16LeToUtf8(bytes.substr(2), text, error)) return std::nullopt;
    } else if (bytes.substr(0, 3) == kUtf8Bom) {
        doc.encoding_ = Encoding::Utf8Bom;
        text = bytes.substr(3);
    } else {
        text = bytes;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) {
            error = "carriage return without line feed at character " + std::to_string(i + 1);
            return std::nullopt;
        }
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            char what[96];
            std::snprintf(what, sizeof what, "binary content (control character 0x%02X at character %zu)", c, i + 1);
            error = what;
            return std::nullopt;
        }
    }
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t newline = text.find('\n', start);
        Line line;
        if (newline == std::string::npos) {
            line.text = text.substr(start);
            start = text.size();
        } else {
            line.text = text.substr(start, newline - start);
            line.end = "\n";
            start = newline + 1;
            if (!line.text.empty() && line.text.back() == '\r') {
                line.text.pop_back();
                line.end = "\r\n";
            }
        }
        doc.lines_.push_back(std::move(line));
    }
    if (!doc.Index(error)) return std::nullopt;
    return doc;
}

bool RegFileDocument::Index(std::string& error) {
    keys_.clear();
    entries_.clear();
    std::optional<std::size_t> key;
    bool continuing = false;
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t open = kNone;  // the entry whose continuation lines follow
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string_view t = lines_[i].text;
        if (continuing) {
            if (open != kNone) entries_[open].last = i;
            continuing = Continues(t);
            continue;
        }
        open = kNone;
        if (t.empty()) continue;
        if (t.front() == '[') {
            const std::string_view trimmed = TrimRight(t);
            if (trimmed.size() < 2 || trimmed.back() != ']') {
                error = "line " + std::to_string(i + 1) + ": key without its closing ']'";
                return false;
            }
            keys_.push_back({std::string(NormaliseKeyPath(trimmed.substr(1, trimmed.size() - 2))), i});
            key = keys_.size() - 1;
        } else if (t.front() == '"') {
            std::size_t pos = 0;
            std::string name;
            // A line that is no "name"=value is kept as it stands and never read.
            if (!ReadQuoted(t, pos, name) || pos >= t.size() || t[pos] != '=') continue;
            Value value = ClassifyValue(t.substr(pos + 1), continuing);
            if (!key) continue;  // a value before any key is kept, not read
            entries_.push_back({*key, std::move(name), std::move(value), i, i});
            open = entries_.size() - 1;
        } else if (t.substr(0, 2) == "@=") {
            // The key's default value: never ours, but its continuation lines must not be read.
            ClassifyValue(t.substr(2), continuing);
        }
        // Comments, the version line, indented and other lines are kept and not read.
    }
    return true;
}

bool RegFileDocument::HasKey(std::string_view keyPath) const {
    const std::string_view path = NormaliseKeyPath(keyPath);
    for (const KeyHeader& k : keys_)
        if (EqualNoCase(k.path, path)) return true;
    return false;
}

const RegFileDocument::Entry* RegFileDocument::FindEntry(std::string_view keyPath, std::string_view name) const {
    const std::string_view path = NormaliseKeyPath(keyPath);
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
        if (EqualNoCase(it->name, name) && EqualNoCase(keys_[it->key].path, path)) return &*it;
    return nullptr;
}

std::optional<RegFileDocument::Value> RegFileDocument::Find(std::string_view keyPath, std::string_view name) const {
    const Entry* e = FindEntry(keyPath, name);
    return e ? std::optional<Value>(e->value) : std::nullopt;
}

std::string RegFileDocument::NewLineEnd() const {
    for (const Line& line : lines_)
        if (!line.end.empty()) return line.end;
    return "\r\n";
}

void RegFileDocument::AppendLine(std::string text) {
    const std::string end = NewLineEnd();
    if (!lines_.empty() && lines_.back().end.empty()) lines_.back().end = end;
    lines_.push_back({std::move(text), end});
}

void RegFileDocument::AddKey(std::string_view keyPath) {
    if (HasKey(keyPath)) return;
    if (lines_.empty()) AppendLine(kHeaderLine);
    // The blank line also ends a value left continuing at the end of the file.
    if (!lines_.back().text.empty()) AppendLine("");
    AppendLine("[" + std::string(NormaliseKeyPath(keyPath)) + "]");
    std::string ignored;
    Index(ignored);
}

bool RegFileDocument::Set(std::string_view keyPath, std::string_view name, const Value& value) {
    // A line break or other control character in a value would end or break its line.
    if (HasLineBreakingCharacter(name) || HasLineBreakingCharacter(value.text)) return false;
    std::string line = Quote(name) + "=";
    switch (value.kind) {
        case Kind::Dword:
            if (!IsHexDword(value.text)) return false;
            line += "dword:" + value.text;
            break;
        case Kind::String: line += Quote(value.text); break;
        case Kind::Other: return false;  // only dwords and texts are ever written
    }
    const std::vector<Line> before = lines_;
    if (const Entry* e = FindEntry(keyPath, name)) {
        const std::size_t first = e->first, last = e->last;
        const std::string end = lines_[last].end;
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(first),
                     lines_.begin() + static_cast<std::ptrdiff_t>(last) + 1);
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(first), Line{std::move(line), end});
    } else {
        AddKey(keyPath);
        // The new line goes behind the last value of the key's last occurrence; a value left
        // continuing at the end of the file would swallow it, so it then goes in front of that.
        const std::string_view path = NormaliseKeyPath(keyPath);
        std::size_t k = keys_.size();
        for (std::size_t i = 0; i < keys_.size(); ++i)
            if (EqualNoCase(keys_[i].path, path)) k = i;
        if (k < keys_.size()) {
            std::size_t at = keys_[k].line + 1;
            for (const Entry& e : entries_)
                if (e.key == k) at = Continues(lines_[e.last].text) ? e.first : e.last + 1;
            const std::string end = NewLineEnd();
            if (lines_[at - 1].end.empty()) lines_[at - 1].end = end;
            lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(line), end});
        }
    }
    // The edit must read back as written; anything else leaves the document as it was.
    std::string ignored;
    const Entry* written = Index(ignored) ? FindEntry(keyPath, name) : nullptr;
    if (written && written->value.kind == value.kind && written->value.text == value.text) return true;
    lines_ = before;
    Index(ignored);
    return false;
}

std::optional<std::string> RegFileDocument::Bytes() const {
    std::string text;
    for (const Line& line : lines_) text += line.text + line.end;
    switch (encoding_) {
        case Encoding::Plain: return text;
        case Encoding::Utf8Bom: return std::string(kUtf8Bom) + text;
        case Encoding::Utf16Le: {
            std::string utf16;
            if (!Utf8ToUtf16Le(text, utf16)) return std::nullopt;
            return std::string(kUtf16Bom) + utf16;
        }
    }
    return std::nullopt;
}

}  // namespace calvix
