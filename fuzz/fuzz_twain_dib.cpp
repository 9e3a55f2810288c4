// Fuzz target for the conversion of a native-transfer block into a scan bitmap: whatever the
// header claims, nothing past the block is read, and what converts fits in the block.

#include "scanner/TwainDib.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace calvix;
    // An exact-size copy, so any read past the block is a heap overflow the sanitizer sees.
    auto block = std::make_unique<std::uint8_t[]>(size);
    if (size) std::memcpy(block.get(), data, size);
    const DibConversion result = ConvertDib(block.get(), size);
    if (result.status != DibStatus::Ok) {
        if (!result.bitmap.Empty()) __builtin_trap();
        return 0;
    }
    if (result.bitmap.Empty() || result.bitmap.SizeBytes() > size) __builtin_trap();
    return 0;
}
