// The Windows BMP file layout: file header, the info header family (core, info, V4, V5) and
// the compression codes, read field by field from little-endian bytes that may be short.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace calvix {

inline constexpr std::size_t BmpFileHeaderSize = 14;
inline constexpr std::uint32_t BmpCoreHeaderSize = 12;
inline constexpr std::uint32_t BmpInfoHeaderSize = 40;
inline constexpr std::uint32_t BmpV4HeaderSize = 108;
inline constexpr std::uint32_t BmpV5HeaderSize = 124;
inline constexpr std::uint16_t BmpSignature = 0x4D42;  // "BM"

enum BmpCompression : std::uint32_t {
    BiRgb = 0,
    BiRle8 = 1,
    BiRle4 = 2,
    BiBitfields = 3,
    BiJpeg = 4,
    BiPng = 5,
    BiAlphaBitfields = 6,
};

struct BmpFileHeader {
    std::uint16_t type = 0;
    std::uint32_t size = 0;
    std::uint16_t reserved1 = 0;
    std::uint16_t reserved2 = 0;
    std::uint32_t offBits = 0;
};

// Every field of the largest info header; a smaller header leaves the fields it lacks zero.
// For the 12-byte core header the 16-bit fields are widened into width, height and so on.
struct BmpInfoHeader {
    std::uint32_t size = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;
    std::uint32_t redMask = 0;
    std::uint32_t greenMask = 0;
    std::uint32_t blueMask = 0;
    std::uint32_t alphaMask = 0;
    std::uint32_t csType = 0;
    std::array<std::uint32_t, 9> endpoints{};  // red X Y Z, green X Y Z, blue X Y Z
    std::uint32_t gammaRed = 0;
    std::uint32_t gammaGreen = 0;
    std::uint32_t gammaBlue = 0;
    std::uint32_t intent = 0;
    std::uint32_t profileData = 0;
    std::uint32_t profileSize = 0;
    std::uint32_t reserved = 0;
};

// Little-endian reads that give 0 for bytes beyond the end, so a short file never reads out.
inline std::uint32_t ReadLE(std::span<const std::uint8_t> bytes, std::size_t offset, int width) {
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i) {
        const std::size_t at = offset + static_cast<std::size_t>(i);
        if (at >= bytes.size()) break;
        value |= static_cast<std::uint32_t>(bytes[at]) << (8 * i);
    }
    return value;
}
inline std::uint16_t ReadLE16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(ReadLE(bytes, offset, 2));
}
inline std::uint32_t ReadLE32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return ReadLE(bytes, offset, 4);
}

// Reads the file header at the start of bytes and the info header after it.
BmpFileHeader ParseBmpFileHeader(std::span<const std::uint8_t> bytes);
BmpInfoHeader ParseBmpInfoHeader(std::span<const std::uint8_t> bytes);

// "BI_RGB (0)" and so on; unknown codes as "unknown (n)".
std::string BmpCompressionName(std::uint32_t compression);

}  // namespace calvix
