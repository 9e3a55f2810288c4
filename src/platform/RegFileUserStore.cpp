// The regedit-format user store: loading with its failure report, typed access to values, and
// one-value writes.
#include "platform/RegFileUserStore.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "app/AtomicFile.h"
#include "app/Exceptions.h"

namespace calvix {
namespace {

using Kind = RegFileDocument::Kind;
using Value = RegFileDocument::Value;

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
    // A file that cannot be read holds no values.
    std::optional<Value> Find(const std::string& name) const {
        const auto document = store_.Load();
        return document ? document->Find(path_, name) : std::nullopt;
    }
    void Write(const std::string& name, const Value& value) {
        auto document = store_.Load();
        if (!document) throw ERegistryException("Cannot read the user store " + store_.Path());
        if (!document->Set(path_, name, value))
            throw ERegistryException("Cannot store the value '" + name + "' in " + store_.Path());
        std::string error;
        if (!store_.Save(*document, error)) throw ERegistryException("Cannot write the user store: " + error);
    }

    const RegFileUserStore& store_;
    std::string path_;
};

}  // namespace

std::optional<RegFileDocument> RegFileUserStore::Load(std::string* cause) const {
    std::string error;
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) {
        if (errno == ENOENT) return RegFileDocument::Parse("", error);
        error = std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
        error = "not a regular file";
    } else if (static_cast<unsigned long long>(st.st_size) > MaxFileSize) {
        error = "larger than " + std::to_string(MaxFileSize) + " bytes";
    } else if (const auto bytes = ReadWholeFile(path_, MaxFileSize); !bytes) {
        error = "cannot be read";
    } else if (auto document = RegFileDocument::Parse(*bytes, error)) {
        return document;
    }
    if (cause) *cause = path_ + ": " + error;
    return std::nullopt;
}

// The caller says it: a store read before the log is set up would otherwise go unreported.
std::string RegFileUserStore::ReadError() const {
    std::string cause;
    Load(&cause);
    return cause;
}

bool RegFileUserStore::Save(const RegFileDocument& document, std::string& error) const {
    const auto bytes = document.Bytes();
    if (!bytes) {
        error = path_ + ": a value cannot be written in the file's UTF-16 encoding";
        return false;
    }
    const std::size_t slash = path_.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        // Create the store's folder on first use; an existing folder is fine.
        const std::string dir = path_.substr(0, slash);
        for (std::size_t p = 1; p <= dir.size(); ++p)
            if (p == dir.size() || dir[p] == '/') ::mkdir(dir.substr(0, p).c_str(), 0755);
    }
    return WriteFileAtomically(path_, *bytes, &error);
}

std::unique_ptr<UserStoreKey> RegFileUserStore::OpenKey(const std::string& path, bool create) {
    auto document = Load();
    if (!document) return nullptr;
    if (!document->HasKey(path)) {
        if (!create) return nullptr;
        document->AddKey(path);
        std::string error;
        if (!Save(*document, error)) return nullptr;
    }
    return std::make_unique<FileKey>(*this, path);
}

}  // namespace calvix
