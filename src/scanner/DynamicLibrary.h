// The DynamicLibrary port: loading a shared library by path and looking up its entry points by
// name. The platform implements it with dlopen; tests substitute libraries of their own.
#pragma once

#include <string>

namespace calvix {

class DynamicLibrary {
public:
    virtual ~DynamicLibrary() = default;
    // Loads the library at path; false when it cannot be loaded. Replaces a loaded one.
    virtual bool Open(const std::string& path) = 0;
    // The address of an exported entry point, nullptr when missing or nothing is loaded.
    virtual void* Symbol(const char* name) = 0;
    virtual void Close() = 0;
};

}  // namespace calvix
