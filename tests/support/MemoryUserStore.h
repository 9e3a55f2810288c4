// An in-memory UserStore with the same typed-value rules as the file store.
#pragma once

#include <map>
#include <string>
#include <variant>

#include "app/UserStore.h"

namespace calvix::test {

class MemoryUserStore final : public UserStore {
public:
    using Value = std::variant<std::int32_t, std::string>;
    // key path (without leading backslash) -> value name -> value
    std::map<std::string, std::map<std::string, Value>> keys;

    std::unique_ptr<UserStoreKey> OpenKey(const std::string& path, bool create) override;
    bool Has(const std::string& key, const std::string& name) const;
};

}  // namespace calvix::test
