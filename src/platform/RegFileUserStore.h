// The per-user store as a file in the regedit text format: "[Software\Zelmar GmbH\Calvix]",
// "Name"=dword:0000012c, "Name"="text". A write changes only that value's line and replaces the
// file atomically; a file that cannot be read is never written over, and ReadError says why.
#pragma once

#include <optional>
#include <string>

#include "app/UserStore.h"
#include "platform/RegFileDocument.h"

namespace calvix {

class RegFileUserStore final : public UserStore {
public:
    static constexpr std::size_t MaxFileSize = 1024 * 1024;

    explicit RegFileUserStore(std::string path) : path_(std::move(path)) {}
    std::unique_ptr<UserStoreKey> OpenKey(const std::string& path, bool create) override;
    std::string ReadError() const override;
    const std::string& Path() const { return path_; }

    // The file as it stands (an empty document when it does not exist); nothing when it cannot
    // be read or understood, with the cause in error.
    std::optional<RegFileDocument> Load(std::string* error = nullptr) const;
    // Writes the document over the file; false with the cause in error.
    bool Save(const RegFileDocument& document, std::string& error) const;

private:
    std::string path_;
};

}  // namespace calvix
