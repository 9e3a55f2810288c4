// Fuzz target for our BMP reader and the BMP header dump: any input must be refused or decoded
// without reading outside the buffer, and whatever decodes must survive a write and re-read.

#include "analysis/BmpHeaderDump.h"
#include "analysis/BmpReader.h"
#include "analysis/BmpWriter.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace calvix;
    const std::span<const std::uint8_t> bytes(data, size);
    DumpBmpHeaderBytes(bytes.first(std::min(size, BmpDumpBytes)));

    // A lower pixel limit than the program's keeps every run far below the fuzzer's memory cap.
    int reports = 0;
    const PictureResult picture = DecodeBmp(bytes, [&](LoadStage, int, const std::string&) { ++reports; }, 1 << 22);
    if (!picture.ok) return 0;
    if (picture.image.Empty() || reports < 2) __builtin_trap();
    const PictureResult again = DecodeBmp(EncodeBmp(picture.image));
    if (!again.ok || !(again.image == picture.image)) __builtin_trap();
    return 0;
}
