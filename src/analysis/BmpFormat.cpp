// Field-by-field parsing of the BMP file and info headers; short input reads as zeros, so
// callers decide about truncation themselves.

#include "analysis/BmpFormat.h"

#include <cstdio>

namespace calvix {

BmpFileHeader ParseBmpFileHeader(std::span<const std::uint8_t> bytes) {
    BmpFileHeader h;
    h.type = ReadLE16(bytes, 0);
    h.size = ReadLE32(bytes, 2);
    h.reserved1 = ReadLE16(bytes, 6);
    h.reserved2 = ReadLE16(bytes, 8);
    h.offBits = ReadLE32(bytes, 10);
    return h;
}

BmpInfoHeader ParseBmpInfoHeader(std::span<const std::uint8_t> bytes) {
    const std::size_t at = BmpFileHeaderSize;
    BmpInfoHeader h;
    h.size = ReadLE32(bytes, at);
    if (h.size == BmpCoreHeaderSize) {
        h.width = ReadLE16(bytes, at + 4);
        h.height = ReadLE16(bytes, at + 6);
        h.planes = ReadLE16(bytes, at + 8);
        h.bitCount = ReadLE16(bytes, at + 10);
        return h;
    }
    h.width = static_cast<std::int32_t>(ReadLE32(bytes, at + 4));
    h.height = static_cast<std::int32_t>(ReadLE32(bytes, at + 8));
    h.planes = ReadLE16(bytes, at + 12);
    h.bitCount = ReadLE16(bytes, at + 14);
    h.compression = ReadLE32(bytes, at + 16);
    h.sizeImage = ReadLE32(bytes, at + 20);
    h.xPelsPerMeter = static_cast<std::int32_t>(ReadLE32(bytes, at + 24));
    h.yPelsPerMeter = static_cast<std::int32_t>(ReadLE32(bytes, at + 28));
    h.clrUsed = ReadLE32(bytes, at + 32);
    h.clrImportant = ReadLE32(bytes, at + 36);
    // The masks directly follow a 40-byte header with bit fields, and sit inside the larger
    // headers at the same place, so one read serves both.
    h.redMask = ReadLE32(bytes, at + 40);
    h.greenMask = ReadLE32(bytes, at + 44);
    h.blueMask = ReadLE32(bytes, at + 48);
    h.alphaMask = ReadLE32(bytes, at + 52);
    h.csType = ReadLE32(bytes, at + 56);
    for (std::size_t i = 0; i < h.endpoints.size(); ++i) {
        h.endpoints[i] = ReadLE32(bytes, at + 60 + 4 * i);
    }
    h.gammaRed = ReadLE32(bytes, at + 96);
    h.gammaGreen = ReadLE32(bytes, at + 100);
    h.gammaBlue = ReadLE32(bytes, at + 104);
    h.intent = ReadLE32(bytes, at + 108);
    h.profileData = ReadLE32(bytes, at + 112);
    h.profileSize = ReadLE32(bytes, at + 116);
    h.reserved = ReadLE32(bytes, at + 120);
    return h;
}

// The Windows constant's name with its number, so the dump reads well for people who know the
// names and stays exact for codes this program has never heard of.
std::string BmpCompressionName(std::uint32_t compression) {
    switch (compression) {
        case BiRgb: return "BI_RGB (0)";
        case BiRle8: return "BI_RLE8 (1)";
        case BiRle4: return "BI_RLE4 (2)";
        case BiBitfields: return "BI_BITFIELDS (3)";
        case BiJpeg: return "BI_JPEG (4)";
        case BiPng: return "BI_PNG (5)";
        case BiAlphaBitfields: return "BI_ALPHABITFIELDS (6)";
        case 11: return "BI_CMYK (11)";
        case 12: return "BI_CMYKRLE8 (12)";
        case 13: return "BI_CMYKRLE4 (13)";
        default: break;
    }
    char text[32];
    std::snprintf(text, sizeof text, "unknown (%u)", static_cast<unsigned>(compression));
    return text;
}

}  // namespace calvix
