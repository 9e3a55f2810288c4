// MemoryUserStore: typed values in a map; reading the other type raises.
#include "MemoryUserStore.h"

#include "app/Exceptions.h"

namespace calvix::test {
namespace {

std::string Normal(std::string p) {
    while (!p.empty() && p.front() == '\\') p.erase(p.begin());
    return p;
}

class MemoryKey final : public UserStoreKey {
public:
    explicit MemoryKey(std::map<std::string, MemoryUserStore::Value>& values) : values_(values) {}
    bool ValueExists(const std::string& name) const override { return values_.count(name) != 0; }
    std::int32_t ReadInteger(const std::string& name) const override {
        auto it = values_.find(name);
        if (it == values_.end() || !std::holds_alternative<std::int32_t>(it->second))
            throw ERegistryException("Invalid data type for '" + name + "'");
        return std::get<std::int32_t>(it->second);
    }
    bool ReadBool(const std::string& name) const override { return ReadInteger(name) != 0; }
    std::string ReadString(const std::string& name) const override {
        auto it = values_.find(name);
        if (it == values_.end() || !std::holds_alternative<std::string>(it->second))
            throw ERegistryException("Invalid data type for '" + name + "'");
        return std::get<std::string>(it->second);
    }
    void WriteInteger(const std::string& name, std::int32_t v) override { values_[name] = v; }
    void WriteBool(const std::string& name, bool v) override { values_[name] = std::int32_t{v ? 1 : 0}; }
    void WriteString(const std::string& name, const std::string& v) override { values_[name] = v; }

private:
    std::map<std::string, MemoryUserStore::Value>& values_;
};

}  // namespace

std::unique_ptr<UserStoreKey> MemoryUserStore::OpenKey(const std::string& path, bool create) {
    const std::string p = Normal(path);
    auto it = keys.find(p);
    if (it == keys.end()) {
        if (!create) return nullptr;
        it = keys.emplace(p, std::map<std::string, Value>{}).first;
    }
    return std::make_unique<MemoryKey>(it->second);
}

bool MemoryUserStore::Has(const std::string& key, const std::string& name) const {
    auto it = keys.find(Normal(key));
    return it != keys.end() && it->second.count(name) != 0;
}

}  // namespace calvix::test
