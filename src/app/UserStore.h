// The UserStore port: the per-user registry of settings, as keys holding typed values
// (32-bit integers and texts). Reading a value of the other type, or a missing one, raises.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace calvix {

class UserStoreKey {
public:
    virtual ~UserStoreKey() = default;
    virtual bool ValueExists(const std::string& name) const = 0;
    // Each read raises ERegistryException when the value is missing or of the other type.
    virtual std::int32_t ReadInteger(const std::string& name) const = 0;
    virtual bool ReadBool(const std::string& name) const = 0;
    virtual std::string ReadString(const std::string& name) const = 0;
    virtual void WriteInteger(const std::string& name, std::int32_t value) = 0;
    virtual void WriteBool(const std::string& name, bool value) = 0;
    virtual void WriteString(const std::string& name, const std::string& value) = 0;
};

class UserStore {
public:
    virtual ~UserStore() = default;
    // The key at path (e.g. "\\Software\\Zelmar GmbH\\Calvix"), or nullptr when it does not exist
    // and create is false (or it cannot be created). Writes reach the store at once.
    virtual std::unique_ptr<UserStoreKey> OpenKey(const std::string& path, bool create) = 0;
    // Why the store as a whole cannot be read (it then opens no key and must be left as it
    // is); empty when it can be, also when it does not exist yet.
    virtual std::string ReadError() const { return {}; }
};

}  // namespace calvix
