// Ownership of transferred blocks and the bounded bitmap conversion.
#include "scanner/TwainDib.h"

#include "scanner/TwainTypes.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <utility>

namespace calvix {

DibHandle DibHandle::Adopt(void* block) {
    DibHandle handle;
    handle.block_ = block;
    handle.size_ = ::malloc_usable_size(block);  // 0 for no block
    return handle;
}

DibHandle::DibHandle(DibHandle&& other) noexcept
    : block_(std::exchange(other.block_, nullptr)), size_(std::exchange(other.size_, 0)) {}

DibHandle& DibHandle::operator=(DibHandle&& other) noexcept {
    if (this != &other) {
        Release();
        block_ = std::exchange(other.block_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

void DibHandle::Release() {
    std::free(block_);
    block_ = nullptr;
    size_ = 0;
}

namespace {

DibConversion Refuse(DibConversion result, const char* reason) {
    result.status = DibStatus::BadHeader;
    result.reason = reason;
    return result;
}

}  // namespace

DibConversion ConvertDib(const std::uint8_t* block, std::size_t size) {
    DibConversion result;
    twain::DibHeader header;
    if (!block || size < sizeof header) return Refuse(std::move(result), "block shorter than a bitmap header");
    std::memcpy(&header, block, sizeof header);
    result.bitCount = header.biBitCount;
    if (header.biSize < sizeof header || header.biSize > size)
        return Refuse(std::move(result), "header size outside the block");
    if (header.biBitCount != 24) {
        result.status = DibStatus::BitDepth;
        return result;
    }
    if (header.biPlanes != 1) return Refuse(std::move(result), "plane count is not 1");
    if (header.biCompression != 0) return Refuse(std::move(result), "compressed rows");
    // 64-bit arithmetic throughout: every field may hold anything.
    const std::int64_t width = header.biWidth;
    const std::int64_t height = header.biHeight < 0 ? -static_cast<std::int64_t>(header.biHeight) : header.biHeight;
    if (width < 1 || width > ScanBitmap::MaxSide || height < 1 || height > ScanBitmap::MaxSide)
        return Refuse(std::move(result), "width or height outside 1..65535");
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * 3 + 3) & ~std::uint64_t{3};
    const std::uint64_t rowBytes = stride * static_cast<std::uint64_t>(height);
    if (header.biSizeImage != 0 && header.biSizeImage < rowBytes)
        return Refuse(std::move(result), "image size smaller than its rows");
    const std::uint64_t offset = header.biSize + 4 * static_cast<std::uint64_t>(header.biClrUsed);
    if (offset > size || rowBytes > size - offset) return Refuse(std::move(result), "pixel rows run past the block");

    // The rows fit in the block, so the bitmap is never larger than what was handed over.
    result.bitmap = ScanBitmap(static_cast<int>(width), static_cast<int>(height));
    const bool bottomUp = header.biHeight > 0;
    const std::uint8_t* rows = block + offset;
    for (std::int64_t y = 0; y < height; ++y) {
        const std::int64_t source = bottomUp ? height - 1 - y : y;
        std::memcpy(result.bitmap.Row(static_cast<int>(y)), rows + static_cast<std::uint64_t>(source) * stride,
                    result.bitmap.Stride());
    }
    result.status = DibStatus::Ok;
    return result;
}

}  // namespace calvix
