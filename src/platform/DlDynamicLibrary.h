// The DynamicLibrary port over dlopen: the service library is an ELF shared object loaded by
// path, its entry points looked up by name.
#pragma once

#include "scanner/DynamicLibrary.h"

namespace calvix {

class DlDynamicLibrary final : public DynamicLibrary {
public:
    ~DlDynamicLibrary() override;
    bool Open(const std::string& path) override;
    void* Symbol(const char* name) override;
    void Close() override;

private:
    void* handle_ = nullptr;
};

}  // namespace calvix
