// The per-user store as a file in the regedit text format: "[Software\Zelmar GmbH\Calvix]",
// "Name"=dword:0000012c, "Name"="text". A write changes only that value's line and replaces the
// file atomically; a file that cannot be read is reported once and never written over.
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
    const std::string& Path() const { return path_; }

    // The file as it stands (an empty document when it does not exist); nothing when it cannot
    // be read or understood, which is logged as an error once per distinct cause.
    std::optional<RegFileDocument> Load() const;
    // Writes the document over the file; false with the cause in error.
    bool Save(const RegFileDocument& document, std::string& error) const;

private:
    std::string path_;
    mutable std::string reported_;  // the last cause logged, so a failing file is logged once
};

}  // namespace calvix
