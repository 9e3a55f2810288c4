// Text of the BMP header dump. The field lines keep the layout operators and support staff know
// from earlier versions, German mask names included, so the texts are fixed byte for byte.

#include "analysis/BmpHeaderDump.h"

#include "analysis/BmpFormat.h"

#include <array>
#include <cstdarg>
#include <cstdio>

namespace calvix {
namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

const char* HeaderName(std::uint32_t size) {
    switch (size) {
        case BmpCoreHeaderSize: return "BITMAPCOREHEADER!";
        case BmpInfoHeaderSize: return "BITMAPINFOHEADER";
        case BmpV4HeaderSize: return "BITMAPV4HEADER";
        case BmpV5HeaderSize: return "BITMAPV5HEADER";
        default: return "Header unknown!";
    }
}

// Unknown sizes take the prefix of the largest known header that fits in them, so a V2/V3
// header (52, 56 bytes) reads as an extended info header.
const char* FieldPrefix(std::uint32_t size) {
    if (size >= BmpV5HeaderSize) return "v5";
    if (size >= BmpV4HeaderSize) return "v4";
    return "i";
}

void AddInfoFields(const BmpInfoHeader& h, std::vector<std::string>& lines) {
    const char* p = FieldPrefix(h.size);
    lines.push_back(Format("\t.b%sSize = %u", p, h.size));
    lines.push_back(Format("\t.b%sWidth = %i", p, h.width));
    lines.push_back(Format("\t.b%sHeight = %i", p, h.height));
    lines.push_back(Format("\t.b%sPlanes = %u", p, h.planes));
    lines.push_back(Format("\t.b%sBitCount = %u", p, h.bitCount));
    lines.push_back(Format("\t.b%sCompression = %s", p, BmpCompressionName(h.compression).c_str()));
    lines.push_back(Format("\t.b%sSizeImage = %u", p, h.sizeImage));
    lines.push_back(Format("\t.b%sXPelsPerMeter = %i", p, h.xPelsPerMeter));
    lines.push_back(Format("\t.b%sYPelsPerMeter = %i", p, h.yPelsPerMeter));
    lines.push_back(Format("\t.b%sClrUsed = %i", p, static_cast<int>(h.clrUsed)));
    lines.push_back(Format("\t.b%sClrImportant = %i", p, static_cast<int>(h.clrImportant)));
    if (h.size == BmpInfoHeaderSize) return;

    lines.push_back(Format("\t.b%sRedMask   = %08X", p, h.redMask));
    lines.push_back(Format("\t.b%sGreenMask = %08X", p, h.greenMask));
    lines.push_back(Format("\t.b%sBlueMask  = %08X", p, h.blueMask));
    lines.push_back(Format("\t.b%sAlphaMask = %08X", p, h.alphaMask));
    lines.push_back(Format("\t.b%sCSType = %u", p, h.csType));
    // Padding after the name lines the "=" up: Red, Green, Blue differ in length.
    static constexpr std::array<const char*, 3> colours = {"Red.ciexyzX   ", "Green.ciexyzX ", "Blue.ciexyzX  "};
    static constexpr std::array<char, 3> axes = {'X', 'Y', 'Z'};
    for (std::size_t c = 0; c < 3; ++c) {
        for (std::size_t a = 0; a < 3; ++a) {
            std::string name = colours[c];
            name[name.find('X')] = axes[a];
            lines.push_back(Format("\t.b%sEndpoints.ciexyz%s= %08X", p, name.c_str(), h.endpoints[3 * c + a]));
        }
    }
    lines.push_back(Format("\t.b%sGammaRed   = %08X", p, h.gammaRed));
    lines.push_back(Format("\t.b%sGammaGreen = %08X", p, h.gammaGreen));
    lines.push_back(Format("\t.b%sGammaBlue  = %08X\r\n", p, h.gammaBlue));
    if (h.size != BmpV5HeaderSize) return;
    lines.push_back(Format("\t.b%sIntent = %u", p, h.intent));
    lines.push_back(Format("\t.b%sProfileData = %u", p, h.profileData));
    lines.push_back(Format("\t.b%sProfileSize = %u", p, h.profileSize));
    lines.push_back(Format("\t.b%sReserved = %u\r\n", p, h.reserved));
}

}  // namespace

BmpHeaderDump DumpBmpHeaderBytes(std::span<const std::uint8_t> bytes) {
    BmpHeaderDump dump;
    const BmpFileHeader f = ParseBmpFileHeader(bytes);
    dump.lines.push_back(Format(
        "\r\nBITMAPFILEHEADER\r\n\t.bfType = 0x%X\r\n\t.bfSize = %u\r\n\t.bfReserved1 = %u\r\n"
        "\t.bfReserved2 = %u\r\n\t.bfOffBits = %u\r\n",
        f.type, f.size, f.reserved1, f.reserved2, f.offBits));

    const BmpInfoHeader h = ParseBmpInfoHeader(bytes);
    dump.lines.push_back(HeaderName(h.size));
    if (h.size == BmpCoreHeaderSize) {
        dump.lines.push_back(Format(
            "\t.bcSize = %u\r\n\t.bcWidth = %u\r\n\t.bcHeight = %u\r\n\t.bcPlanes = %u\r\n\t.bcBitCount = %u\r\n",
            h.size, static_cast<unsigned>(h.width), static_cast<unsigned>(h.height), h.planes, h.bitCount));
    } else {
        AddInfoFields(h, dump.lines);
        if (h.size == BmpInfoHeaderSize && h.compression == BiBitfields) {
            dump.lines.push_back(Format("Rotmaske  = %08X\r\nGrünmaske = %08X\r\nBlaumaske = %08X\r\n\r\n",
                                        h.redMask, h.greenMask, h.blueMask));
        }
    }
    dump.heightNegative = h.height < 0;
    return dump;
}

bool DumpBmpHeaders(const std::string& path, BmpHeaderDump& dump) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::array<std::uint8_t, BmpDumpBytes> bytes{};
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    dump = DumpBmpHeaderBytes(std::span<const std::uint8_t>(bytes.data(), got));
    return true;
}

}  // namespace calvix
