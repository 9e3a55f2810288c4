// The image of a native transfer: the memory block the source hands over (owned here, released
// with free()) and its bounded conversion into a 24-bit ScanBitmap.
#pragma once

#include "analysis/ScanBitmap.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace calvix {

// Owns one block handed over by a data source. The block comes from the source's calloc (the
// TWAIN memory functions on this platform), so its size is asked of the allocator when it is
// adopted: the header inside may lie, the allocator does not, and nothing past the block is
// ever read.
class DibHandle {
public:
    DibHandle() = default;
    // Takes ownership of a block from calloc/malloc; nullptr gives an empty handle.
    static DibHandle Adopt(void* block);
    ~DibHandle() { Release(); }
    DibHandle(DibHandle&& other) noexcept;
    DibHandle& operator=(DibHandle&& other) noexcept;
    DibHandle(const DibHandle&) = delete;
    DibHandle& operator=(const DibHandle&) = delete;

    bool Empty() const { return block_ == nullptr; }
    const std::uint8_t* Data() const { return static_cast<const std::uint8_t*>(block_); }
    std::size_t Size() const { return size_; }
    void Release();

private:
    void* block_ = nullptr;
    std::size_t size_ = 0;
};

enum class DibStatus {
    Ok,
    BitDepth,   // a readable header whose bit count is not 24
    BadHeader,  // a header that contradicts itself or the block it sits in
};

struct DibConversion {
    DibStatus status = DibStatus::BadHeader;
    int bitCount = 0;    // from the header, when it could be read
    std::string reason;  // why a header was refused
    ScanBitmap bitmap;   // row 0 at the top, whichever way the block stores its rows
};

// Converts a bitmap block (40-byte or larger info header, an optional colour table of biClrUsed
// entries, then the rows, each padded to four bytes) of exactly size bytes. Only uncompressed
// 24-bit images are accepted; the pixel rows must lie wholly inside the block.
DibConversion ConvertDib(const std::uint8_t* block, std::size_t size);

}  // namespace calvix
