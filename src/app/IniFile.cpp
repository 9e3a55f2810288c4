// IniFile: line-preserving INI reading and writing.
#include "app/IniFile.h"

#include <cerrno>
#include <climits>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "app/AtomicFile.h"

namespace calvix {
namespace {

std::string Trim(const std::string& s) {
    const std::size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    const std::size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (std::tolower(x) != std::tolower(y)) return false;
    }
    return true;
}

// The section name of a "[name]" line, or false.
bool SectionOf(const std::string& line, std::string& name) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
    name = Trim(t.substr(1, t.size() - 2));
    return true;
}

bool KeyOf(const std::string& line, std::string& key, std::string& value) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') return false;
    const std::size_t eq = t.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    return true;
}

}  // namespace

bool ParseInt32(const std::string& text, std::int32_t& value) {
    const std::string t = Trim(text);
    if (t.empty()) return false;
    std::size_t i = (t[0] == '+' || t[0] == '-') ? 1 : 0;
    if (i == t.size()) return false;
    for (std::size_t k = i; k < t.size(); ++k)
        if (t[k] < '0' || t[k] > '9') return false;
    errno = 0;
    const long long v = std::strtoll(t.c_str(), nullptr, 10);
    if (errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
    value = static_cast<std::int32_t>(v);
    return true;
}

bool IniFile::Load(const std::string& path, std::string* error) {
    lines_.clear();
    auto fail = [&](const std::string& why) {
        if (error) *error = path + ": " + why;
        return false;
    };
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return true;  // missing: an empty file
        return fail(std::strerror(errno));
    }
    if (!S_ISREG(st.st_mode)) return fail("not a regular file");
    const std::string tooLarge = "larger than " + std::to_string(MaxFileSize) + " bytes";
    if (static_cast<unsigned long long>(st.st_size) > MaxFileSize) return fail(tooLarge);
    errno = 0;
    const auto content = ReadWholeFile(path, MaxFileSize);
    // No errno after a failed read means the file grew past the limit while it was read.
    if (!content) return fail(errno != 0 ? std::strerror(errno) : tooLarge);
    LoadText(*content);
    return true;
}

void IniFile::LoadText(const std::string& text) {
    lines_.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines_.push_back(std::move(line));
        start = end + 1;
    }
}

std::string IniFile::Text() const {
    std::string out;
    for (const std::string& line : lines_) {
        out += line;
        out += "\r\n";
    }
    return out;
}

bool IniFile::Save(const std::string& path, std::string* error) const {
    return WriteFileAtomically(path, Text(), error);
}

int IniFile::FindKey(const std::string& section, const std::string& key) const {
    bool inSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        std::string name, k, v;
        if (SectionOf(lines_[i], name)) {
            inSection = EqualNoCase(name, section);
        } else if (inSection && KeyOf(lines_[i], k, v) && EqualNoCase(k, key)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool IniFile::ValueExists(const std::string& section, const std::string& key) const {
    return FindKey(section, key) >= 0;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
    const int i = FindKey(section, key);
    if (i < 0) return def;
    std::string k, v;
    KeyOf(lines_[static_cast<std::size_t>(i)], k, v);
    return v;
}

std::int32_t IniFile::ReadInteger(const std::string& section, const std::string& key, std::int32_t def) const {
    std::int32_t value = def;
    if (!ValueExists(section, key)) return def;
    return ParseInt32(ReadString(section, key, ""), value) ? value : def;
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    const std::string line = key + "=" + value;
    const int existing = FindKey(section, key);
    if (existing >= 0) {
        lines_[static_cast<std::size_t>(existing)] = line;
        return;
    }
    // Append after the last key line of the (first) matching section.
    int sectionLine = -1, insertAt = -1;
    bool inSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        std::string name, k, v;
        if (SectionOf(lines_[i], name)) {
            if (inSection) break;
            inSection = EqualNoCase(name, section);
            if (inSection) sectionLine = insertAt = static_cast<int>(i);
        } else if (inSection && !Trim(lines_[i]).empty()) {
            insertAt = static_cast<int>(i);
        }
    }
    if (sectionLine < 0) {
        if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.push_back("");
        lines_.push_back("[" + section + "]");
        lines_.push_back(line);
        return;
    }
    lines_.insert(lines_.begin() + insertAt + 1, line);
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteInteger(section, key, value ? 1 : 0);
}

}  // namespace calvix
