// dlopen-based library loading.
#include "platform/DlDynamicLibrary.h"

#include <dlfcn.h>

namespace calvix {

DlDynamicLibrary::~DlDynamicLibrary() { Close(); }

bool DlDynamicLibrary::Open(const std::string& path) {
    Close();
    // RTLD_NOW: a library with unresolved references fails here, not at its first call.
    // RTLD_LOCAL: its symbols stay out of the way of everything else loaded later.
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return handle_ != nullptr;
}

void* DlDynamicLibrary::Symbol(const char* name) {
    return handle_ ? ::dlsym(handle_, name) : nullptr;
}

void DlDynamicLibrary::Close() {
    if (handle_) ::dlclose(handle_);
    handle_ = nullptr;
}

}  // namespace calvix
