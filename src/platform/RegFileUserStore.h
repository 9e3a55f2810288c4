// The per-user store as a file in the regedit text format: "[Software\Zelmar GmbH\Calvix]",
// "Name"=dword:0000012c, "Name"="text". Every write rewrites the file atomically; lines this
// store does not understand are kept (and read as values of neither type).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/UserStore.h"

namespace calvix {

class RegFileUserStore final : public UserStore {
public:
    static constexpr std::size_t MaxFileSize = 1024 * 1024;

    explicit RegFileUserStore(std::string path) : path_(std::move(path)) {}
    std::unique_ptr<UserStoreKey> OpenKey(const std::string& path, bool create) override;
    const std::string& Path() const { return path_; }

    // One value as stored: its kind and its text (the hex digits of a dword, the unescaped text,
    // or the raw right-hand side of a line of another kind).
    enum class Kind { Dword, String, Other };
    struct Value {
        Kind kind = Kind::Other;
        std::string text;
    };
    struct Key {
        std::vector<std::pair<std::string, Value>> values;  // in file order
    };
    struct Content {
        std::vector<std::pair<std::string, Key>> keys;  // in file order
    };

    // Parser and writer of the text form, exposed for tests and the fuzzer.
    static Content Parse(const std::string& text);
    static std::string Format(const Content& content);

    bool LoadContent(Content& content) const;
    bool SaveContent(const Content& content) const;

private:
    std::string path_;
};

}  // namespace calvix
