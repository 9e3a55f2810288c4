// An object placed so that its last byte ends a readable page and the next page is not
// mapped for access: code that reads or writes one element past it faults at once, in a
// plain build as well as under the sanitizers.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <new>
#include <stdexcept>
#include <utility>

namespace calvix::test {

template <typename T>
class GuardedEnd {
public:
    template <typename... Args>
    explicit GuardedEnd(Args&&... args) {
        page_ = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        static_assert(alignof(T) <= 16);
        if (sizeof(T) > page_ || sizeof(T) % alignof(T) != 0) throw std::length_error("object too large");
        void* base = ::mmap(nullptr, 2 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED) throw std::bad_alloc();
        base_ = static_cast<char*>(base);
        ::mprotect(base_ + page_, page_, PROT_NONE);
        object_ = new (base_ + page_ - sizeof(T)) T(std::forward<Args>(args)...);
    }
    ~GuardedEnd() {
        object_->~T();
        ::munmap(base_, 2 * page_);
    }
    GuardedEnd(const GuardedEnd&) = delete;
    GuardedEnd& operator=(const GuardedEnd&) = delete;

    T& operator*() const { return *object_; }
    T* operator->() const { return object_; }

private:
    std::size_t page_ = 0;
    char* base_ = nullptr;
    T* object_ = nullptr;
};

}  // namespace calvix::test
