// Image memory: anonymous mappings aligned to the huge page size and advised as huge, so the
// kernel backs them with 2 MB pages when transparent huge pages are on "madvise" or "always".
#include "analysis/ImageMemory.h"

#include <cstdlib>
#include <cstring>
#include <utility>
#include <sys/mman.h>

namespace calvix {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this the heap serves the block; a mapping of its own would cost more than it saves.
constexpr std::size_t kMappedFrom = std::size_t{1} << 20;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMapLarge = false;  // the sanitizer watches heap blocks only
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMapLarge = false;
#else
constexpr bool kMapLarge = true;
#endif
#else
constexpr bool kMapLarge = true;
#endif

bool Mapped(std::size_t bytes) { return kMapLarge && bytes >= kMappedFrom; }
std::size_t MappedLength(std::size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }

}  // namespace

void* AllocateImageMemory(std::size_t bytes) {
    if (bytes == 0) bytes = 1;
    if (!Mapped(bytes)) {
        void* memory = std::calloc(bytes, 1);
        if (memory == nullptr) throw std::bad_alloc();
        return memory;
    }
    if (bytes > static_cast<std::size_t>(-1) / 2 - 2 * kHugePage) throw std::bad_alloc();
    const std::size_t length = MappedLength(bytes);
    // One huge page more than needed, so that an aligned start lies inside; the rest goes back.
    const std::size_t reserved = length + kHugePage;
    void* raw = ::mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    const auto base = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t start = (base + kHugePage - 1) / kHugePage * kHugePage;
    if (start > base) ::munmap(raw, start - base);
    const std::size_t tail = base + reserved - (start + length);
    if (tail > 0) ::munmap(reinterpret_cast<void*>(start + length), tail);
    // Only advice: without huge pages the mapping works as before, on small pages.
    ::madvise(reinterpret_cast<void*>(start), length, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(start);
}

void FreeImageMemory(void* memory, std::size_t bytes) noexcept {
    if (memory == nullptr) return;
    if (bytes == 0) bytes = 1;
    if (!Mapped(bytes)) {
        std::free(memory);
        return;
    }
    ::munmap(memory, MappedLength(bytes));
}

ImageBuffer::ImageBuffer(const ImageBuffer& other) : ImageBuffer(other.size_) {
    if (size_ > 0) std::memcpy(data_, other.data_, size_);
}

ImageBuffer& ImageBuffer::operator=(const ImageBuffer& other) {
    if (this != &other) {
        ImageBuffer copy(other);
        *this = std::move(copy);
    }
    return *this;
}

ImageBuffer& ImageBuffer::operator=(ImageBuffer&& other) noexcept {
    if (this != &other) {
        FreeImageMemory(data_, size_);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

bool operator==(const ImageBuffer& a, const ImageBuffer& b) {
    return a.size_ == b.size_ && (a.size_ == 0 || std::memcmp(a.data_, b.data_, a.size_) == 0);
}

}  // namespace calvix
