// The regedit-format user store: parsing, formatting and typed access to values.
#include "platform/RegFileUserStore.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <sys/stat.h>

#include "app/AtomicFile.h"
#include "app/Exceptions.h"

namespace calvix {
namespace {

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string NormaliseKeyPath(std::string path) {
    while (!path.empty() && (path.front() == '\\' || path.front() == '/')) path.erase(path.begin());
    return path;
}

// Reads a quoted, backslash-escaped text starting at text[pos] == '"'; pos ends after it.
bool ReadQuoted(const std::string& text, std::size_t& pos, std::string& out) {
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

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

bool IsHexDword(const std::string& s) {
    if (s.empty() || s.size() > 8) return false;
    for (char c : s)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

using Content = RegFileUserStore::Content;
using Value = RegFileUserStore::Value;
using Kind = RegFileUserStore::Kind;

RegFileUserStore::Key* FindKey(Content& content, const std::string& path) {
    for (auto& [name, key] : content.keys)
        if (EqualNoCase(name, path)) return &key;
    return nullptr;
}

const Value* FindValue(const RegFileUserStore::Key& key, const std::string& name) {
    for (const auto& [n, v] : key.values)
        if (EqualNoCase(n, name)) return &v;
    return nullptr;
}

class FileKey final : public UserStoreKey {
public:
    FileKey(const RegFileUserStore& store, std::string path) : store_(store), path_(std::move(path)) {}

    bool ValueExists(const std::string& name) const override { return Find(name) != std::nullopt; }

    std::int32_t ReadInteger(const std::string& name) const override {
        const auto v = Find(name);
        if (!v) throw ERegistryException("Invalid registry data type or missing value '" + name + "'");
        if (v->kind != Kind::Dword) throw ERegistryException("Invalid data type for '" + name + "'");
        return static_cast<std::int32_t>(std::stoul(v->text, nullptr, 16));
    }
    bool ReadBool(const std::string& name) const override { return ReadInteger(name) != 0; }
    std::string ReadString(const std::string& name) const override {
        const auto v = Find(name);
        if (!v) throw ERegistryException("Invalid registry data type or missing value '" + name + "'");
        if (v->kind != Kind::String) throw ERegistryException("Invalid data type for '" + name + "'");
        return v->text;
    }
    void WriteInteger(const std::string& name, std::int32_t value) override {
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08x", static_cast<std::uint32_t>(value));
        Write(name, Value{Kind::Dword, hex});
    }
    void WriteBool(const std::string& name, bool value) override { WriteInteger(name, value ? 1 : 0); }
    void WriteString(const std::string& name, const std::string& value) override {
        Write(name, Value{Kind::String, value});
    }

private:
    std::optional<Value> Find(const std::string& name) const {
        Content content;
        if (!store_.LoadContent(content)) return std::nullopt;
        const RegFileUserStore::Key* key = FindKey(content, path_);
        if (!key) return std::nullopt;
        const Value* v = FindValue(*key, name);
        return v ? std::optional<Value>(*v) : std::nullopt;
    }
    void Write(const std::string& name, const Value& value) {
        Content content;
        if (!store_.LoadContent(content)) throw ERegistryException("Cannot read the user store " + store_.Path());
        RegFileUserStore::Key* key = FindKey(content, path_);
        if (!key) {
            content.keys.emplace_back(path_, RegFileUserStore::Key{});
            key = &content.keys.back().second;
        }
        for (auto& [n, v] : key->values) {
            if (EqualNoCase(n, name)) {
                v = value;
                if (!store_.SaveContent(content)) throw ERegistryException("Cannot write the user store " + store_.Path());
                return;
            }
        }
        key->values.emplace_back(name, value);
        if (!store_.SaveContent(content)) throw ERegistryException("Cannot write the user store " + store_.Path());
    }

    const RegFileUserStore& store_;
    std::string path_;
};

}  // namespace

Content RegFileUserStore::Parse(const std::string& text) {
    Content content;
    Key* current = nullptr;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
            const std::string path = NormaliseKeyPath(line.substr(1, line.size() - 2));
            current = FindKey(content, path);
            if (!current) {
                content.keys.emplace_back(path, Key{});
                current = &content.keys.back().second;
            }
            continue;
        }
        if (!current || line[0] != '"') continue;  // the version header and stray lines
        std::size_t pos = 0;
        std::string name;
        if (!ReadQuoted(line, pos, name) || pos >= line.size() || line[pos] != '=') continue;
        ++pos;
        Value value;
        const std::string rhs = line.substr(pos);
        if (rhs.rfind("dword:", 0) == 0 && IsHexDword(rhs.substr(6))) {
            value = Value{Kind::Dword, rhs.substr(6)};
        } else if (std::string s; !rhs.empty() && rhs[0] == '"' && ReadQuoted(line, pos, s) && pos == line.size()) {
            value = Value{Kind::String, s};
        } else {
            value = Value{Kind::Other, rhs};
        }
        bool replaced = false;
        for (auto& [n, v] : current->values)
            if (EqualNoCase(n, name)) v = value, replaced = true;
        if (!replaced) current->values.emplace_back(name, value);
    }
    return content;
}

std::string RegFileUserStore::Format(const Content& content) {
    std::string out = "Windows Registry Editor Version 5.00\r\n";
    for (const auto& [path, key] : content.keys) {
        out += "\r\n[" + path + "]\r\n";
        for (const auto& [name, v] : key.values) {
            out += Quote(name) + "=";
            switch (v.kind) {
                case Kind::Dword: out += "dword:" + v.text; break;
                case Kind::String: out += Quote(v.text); break;
                case Kind::Other: out += v.text; break;
            }
            out += "\r\n";
        }
    }
    return out;
}

bool RegFileUserStore::LoadContent(Content& content) const {
    struct stat st{};
    if (::stat(path_.c_str(), &st) != 0) {
        content = Content{};
        return errno == ENOENT;
    }
    const auto text = ReadWholeFile(path_, MaxFileSize);
    if (!text) return false;
    content = Parse(*text);
    return true;
}

bool RegFileUserStore::SaveContent(const Content& content) const {
    const std::size_t slash = path_.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        // Create the store's folder on first use; an existing folder is fine.
        std::string dir = path_.substr(0, slash);
        for (std::size_t p = 1; p <= dir.size(); ++p)
            if (p == dir.size() || dir[p] == '/') ::mkdir(dir.substr(0, p).c_str(), 0755);
    }
    return WriteFileAtomically(path_, Format(content));
}

std::unique_ptr<UserStoreKey> RegFileUserStore::OpenKey(const std::string& path, bool create) {
    const std::string normal = NormaliseKeyPath(path);
    Content content;
    if (!LoadContent(content)) {
        // An unreadable store is not silently replaced.
        return nullptr;
    }
    if (!FindKey(content, normal)) {
        if (!create) return nullptr;
        content.keys.emplace_back(normal, Key{});
        if (!SaveContent(content)) return nullptr;
    }
    return std::make_unique<FileKey>(*this, normal);
}

}  // namespace calvix
