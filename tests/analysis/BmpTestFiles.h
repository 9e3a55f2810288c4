// Builders for test pictures: BMP files of every header kind and pixel layout byte by byte,
// and JPEG files through libjpeg's encoder, so tests and the fuzz corpus need no outside files.
#pragma once

#include "analysis/ScanBitmap.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace calvix::test {

struct BmpBuilder {
    std::uint32_t headerSize = 40;
    std::int32_t width = 1;
    std::int32_t height = 1;  // negative: rows stored top-down
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t clrUsed = 0;
    std::vector<std::uint32_t> palette;      // 0x00RRGGBB entries
    std::array<std::uint32_t, 4> masks{};    // red, green, blue, alpha
    bool masksAfterHeader = false;           // 40-byte header with bit fields
    std::vector<std::vector<std::uint8_t>> rows;  // file order, unpadded; padding is added
    bool padLastRow = true;

    std::vector<std::uint8_t> Build() const;
};

// Rows of a 24-bit image in file order (bottom-up unless topDown).
std::vector<std::vector<std::uint8_t>> Rows24(const ScanBitmap& image, bool topDown);

// A small picture with distinct pixels: every channel differs between neighbours.
ScanBitmap Pattern(int width, int height, int seed = 0);

enum class JpegKind { Colour, Grey, Progressive, Cmyk };
std::vector<std::uint8_t> EncodeJpeg(const ScanBitmap& image, JpegKind kind, int quality = 95);

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace calvix::test
