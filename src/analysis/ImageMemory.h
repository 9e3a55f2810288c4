// Memory for full-size images and whole picture files: zeroed pages straight from the kernel,
// on transparent huge pages where the system allows it, without a second zero-fill.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace calvix {

// Zeroed memory for bytes bytes; throws std::bad_alloc. A scan's 23 MB buffer served from
// 4 KB pages faults some 5,600 times, and a container's zero-fill then writes it once more;
// from huge pages it takes a dozen faults and arrives zeroed. Small blocks come from the heap.
void* AllocateImageMemory(std::size_t bytes);
void FreeImageMemory(void* memory, std::size_t bytes) noexcept;

// Allocator whose memory is already zero: elements a container adds without a value are left
// as they are (zero when new), so resizing a fresh buffer costs no pass over it.
template <class T>
struct ImageAllocator {
    using value_type = T;
    ImageAllocator() = default;
    template <class U>
    ImageAllocator(const ImageAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
        return static_cast<T*>(AllocateImageMemory(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { FreeImageMemory(p, n * sizeof(T)); }
    template <class U>
    void construct(U*) noexcept {}
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(static_cast<Args&&>(args)...);
    }
    template <class U>
    bool operator==(const ImageAllocator<U>&) const noexcept { return true; }
};

// A fixed-size block of image memory, zeroed when made; copies copy its bytes in one pass.
class ImageBuffer {
public:
    ImageBuffer() = default;
    explicit ImageBuffer(std::size_t size) : data_(static_cast<std::uint8_t*>(AllocateImageMemory(size))), size_(size) {}
    ImageBuffer(const ImageBuffer& other);
    ImageBuffer& operator=(const ImageBuffer& other);
    ImageBuffer(ImageBuffer&& other) noexcept : data_(other.data_), size_(other.size_) {
        other.data_ = nullptr;
        other.size_ = 0;
    }
    ImageBuffer& operator=(ImageBuffer&& other) noexcept;
    ~ImageBuffer() { FreeImageMemory(data_, size_); }

    std::uint8_t* data() { return data_; }
    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }

    friend bool operator==(const ImageBuffer& a, const ImageBuffer& b);

private:
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

// A growable byte buffer on image memory. Note: resize() to a larger size after a shrink keeps the old
// bytes in the regrown part; the users here only grow fresh buffers or overwrite what they grow.
using ImageBytes = std::vector<std::uint8_t, ImageAllocator<std::uint8_t>>;

}  // namespace calvix
