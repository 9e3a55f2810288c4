// BMP decoding into a 24-bit ScanBitmap. Every size is computed in 64 bits and checked
// against the bytes actually present before any pixel is touched, so malformed files are
// refused with a message and never read outside the buffer.

#include "analysis/BmpReader.h"

#include "analysis/BmpFormat.h"
#include "analysis/FileBytes.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace calvix {
namespace {

// One colour channel of a bit-field pixel, scaled to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    explicit Channel(std::uint32_t m) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        bits = 32 - std::countl_zero(m >> shift);
    }

    std::uint8_t Extract(std::uint32_t pixel) const {
        if (bits == 0) return 0;
        const std::uint32_t value = (pixel & mask) >> shift;
        if (bits >= 8) return static_cast<std::uint8_t>(value >> (bits - 8));
        const std::uint32_t top = (1u << bits) - 1;
        return static_cast<std::uint8_t>((value * 255 + top / 2) / top);
    }
};

struct Layout {
    BmpInfoHeader info;
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bits = 0;
    std::uint32_t redMask = 0, greenMask = 0, blueMask = 0;
    bool paletted = false;
};

std::string Message(const char* format, long long a = 0, long long b = 0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

// Checks the headers; returns an empty text when the file can be decoded.
std::string ReadLayout(std::span<const std::uint8_t> file, long long maxPixels, Layout& out) {
    if (file.size() < BmpFileHeaderSize + 4) return "file too short for a BMP header";
    const BmpFileHeader fh = ParseBmpFileHeader(file);
    if (fh.type != BmpSignature) return "not a BMP file (no 'BM' signature)";
    const BmpInfoHeader info = ParseBmpInfoHeader(file);
    out.info = info;
    switch (info.size) {
        case BmpCoreHeaderSize: case BmpInfoHeaderSize: case 52: case 56:
        case BmpV4HeaderSize: case BmpV5HeaderSize:
            break;
        default:
            return Message("unsupported BMP info header size %lld", info.size);
    }
    if (BmpFileHeaderSize + info.size > file.size()) return "file truncated inside the BMP header";

    if (info.width <= 0) return Message("invalid BMP width %lld", info.width);
    if (info.height == 0 || info.height == INT_MIN) return Message("invalid BMP height %lld", info.height);
    out.topDown = info.height < 0;
    const long long height = out.topDown ? -static_cast<long long>(info.height) : info.height;
    if (info.width > ScanBitmap::MaxSide || height > ScanBitmap::MaxSide ||
        static_cast<long long>(info.width) * height > maxPixels) {
        return Message("BMP size %lld x %lld is too large", info.width, height);
    }
    out.width = info.width;
    out.height = static_cast<int>(height);
    out.bits = info.bitCount;

    const bool core = info.size == BmpCoreHeaderSize;
    switch (info.compression) {
        case BiRgb:
            if (core ? !(out.bits == 1 || out.bits == 4 || out.bits == 8 || out.bits == 24)
                     : !(out.bits == 1 || out.bits == 4 || out.bits == 8 || out.bits == 16 ||
                         out.bits == 24 || out.bits == 32)) {
                return Message("unsupported BMP bit depth %lld", out.bits);
            }
            break;
        case BiBitfields:
        case BiAlphaBitfields:
            if (out.bits != 16 && out.bits != 32) {
                return Message("bit fields with %lld bits per pixel are not supported", out.bits);
            }
            break;
        case BiRle8:
        case BiRle4:
            return "RLE-compressed BMP files are not supported";
        default:
            return "BMP compression " + BmpCompressionName(info.compression) + " is not supported";
    }
    std::size_t headersEnd = BmpFileHeaderSize + info.size;
    if (info.compression == BiRgb) {
        if (out.bits == 16) {
            out.redMask = 0x7C00; out.greenMask = 0x03E0; out.blueMask = 0x001F;
        } else if (out.bits == 32) {
            out.redMask = 0xFF0000; out.greenMask = 0xFF00; out.blueMask = 0xFF;
        }
    } else {
        if (info.size == BmpInfoHeaderSize) {
            headersEnd += info.compression == BiAlphaBitfields ? 16 : 12;
            if (headersEnd > file.size()) return "file truncated inside the BMP bit-field masks";
        }
        out.redMask = info.redMask; out.greenMask = info.greenMask; out.blueMask = info.blueMask;
    }
    out.paletted = out.bits <= 8;
    if (fh.offBits < headersEnd) return "BMP pixel data offset points into the headers";
    return {};
}

// Where the stored palette entries are: their count, size and first byte.
struct PaletteSpan {
    std::uint32_t entries = 0;
    std::size_t entrySize = 0;
    std::size_t start = 0;
    std::size_t End() const { return start + entries * entrySize; }
};

PaletteSpan PaletteOf(const Layout& layout) {
    if (!layout.paletted) return {};
    const bool core = layout.info.size == BmpCoreHeaderSize;
    const std::uint32_t maxEntries = 1u << layout.bits;
    const std::uint32_t entries = core || layout.info.clrUsed == 0 ? maxEntries : layout.info.clrUsed;
    return {std::min(entries, maxEntries), std::size_t{core ? 3u : 4u}, BmpFileHeaderSize + layout.info.size};
}

// Rows of the file: the stride, and the end of the pixel data, whose last row may lack its
// padding.
struct PixelSpan {
    std::uint64_t stride = 0;
    std::uint64_t end = 0;
};

PixelSpan PixelsOf(const Layout& layout, std::uint64_t offBits) {
    const std::uint64_t rowBits = static_cast<std::uint64_t>(layout.width) * layout.bits;
    const std::uint64_t stride = (rowBits + 31) / 32 * 4;
    return {stride, offBits + stride * static_cast<std::uint64_t>(layout.height - 1) + (rowBits + 7) / 8};
}

// The palette as packed colours; indices beyond the stored entries read as black.
std::string ReadPalette(std::span<const std::uint8_t> file, const Layout& layout,
                        std::vector<PackedColour>& palette) {
    const PaletteSpan span = PaletteOf(layout);
    if (span.End() > file.size()) return "file truncated inside the BMP palette";
    palette.assign(std::size_t{1} << layout.bits, MakeColour(0, 0, 0));
    for (std::uint32_t i = 0; i < span.entries; ++i) {
        const std::uint8_t* e = file.data() + span.start + i * span.entrySize;
        palette[i] = MakeColour(e[2], e[1], e[0]);
    }
    return {};
}

// Every depth is converted to 24 bits here rather than refused, so any opened BMP can be
// analysed like a scan; rows of other depths are never taken as 24-bit rows.
void DecodeRow(const std::uint8_t* src, std::uint8_t* dst, const Layout& layout,
               const std::vector<PackedColour>& palette, const Channel (&channels)[3]) {
    const int width = layout.width;
    if (layout.paletted) {
        const int bits = layout.bits;
        const int perByte = 8 / bits;
        const unsigned indexMask = (1u << bits) - 1;
        for (int x = 0; x < width; ++x) {
            const int shift = 8 - bits * (x % perByte + 1);
            const unsigned index = (src[x / perByte] >> shift) & indexMask;
            const PackedColour c = palette[index];
            dst[3 * x] = static_cast<std::uint8_t>(BlueOf(c));
            dst[3 * x + 1] = static_cast<std::uint8_t>(GreenOf(c));
            dst[3 * x + 2] = static_cast<std::uint8_t>(RedOf(c));
        }
    } else if (layout.bits == 24) {
        // The file's byte order is the raster's: one copy per row.
        std::memcpy(dst, src, 3 * static_cast<std::size_t>(width));
    } else {
        const int bytesPerPixel = layout.bits / 8;
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = src + static_cast<std::size_t>(x) * bytesPerPixel;
            std::uint32_t pixel = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8);
            if (bytesPerPixel == 4) {
                pixel |= (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
            }
            dst[3 * x] = channels[2].Extract(pixel);
            dst[3 * x + 1] = channels[1].Extract(pixel);
            dst[3 * x + 2] = channels[0].Extract(pixel);
        }
    }
}

}  // namespace

PictureResult DecodeBmp(std::span<const std::uint8_t> file, const LoadProgressFn& progress,
                        long long maxPixels) {
    Layout layout;
    std::string problem = ReadLayout(file, maxPixels, layout);
    if (!problem.empty()) return PictureResult::Failure(problem);

    std::vector<PackedColour> palette;
    if (layout.paletted) {
        problem = ReadPalette(file, layout, palette);
        if (!problem.empty()) return PictureResult::Failure(problem);
    }

    const std::uint64_t offBits = ParseBmpFileHeader(file).offBits;
    if (offBits >= file.size()) {
        return PictureResult::Failure(Message("BMP pixel data offset %lld is not inside the %lld-byte file",
                                              static_cast<long long>(offBits), static_cast<long long>(file.size())));
    }
    const PixelSpan pixels = PixelsOf(layout, offBits);
    const std::uint64_t stride = pixels.stride;
    if (pixels.end > file.size()) return PictureResult::Failure("file truncated: BMP pixel data incomplete");

    char startMessage[96];
    std::snprintf(startMessage, sizeof startMessage, "BMP %d x %d, %d bits per pixel",
                  layout.width, layout.height, layout.bits);
    ReportProgress(progress, LoadStage::Starting, 0, startMessage);

    PictureResult result;
    try {
        result.image = ScanBitmap(layout.width, layout.height);
    } catch (const std::bad_alloc&) {
        return PictureResult::Failure("not enough memory for the BMP image");
    }
    const Channel channels[3] = {Channel(layout.redMask), Channel(layout.greenMask), Channel(layout.blueMask)};
    RowProgress rows(progress, layout.height);
    for (int y = 0; y < layout.height; ++y) {
        const int fileRow = layout.topDown ? y : layout.height - 1 - y;
        const std::uint8_t* src = file.data() + offBits + stride * static_cast<std::uint64_t>(fileRow);
        DecodeRow(src, result.image.Row(y), layout, palette, channels);
        rows.RowsDone(y + 1);
    }
    result.ok = true;
    result.topDown = layout.topDown;
    result.heldAsBitmap = true;
    ReportProgress(progress, LoadStage::Ending, 100);
    return result;
}

std::string BmpFileExtent(std::span<const std::uint8_t> head, std::uint64_t& needed) {
    Layout layout;
    std::string problem = ReadLayout(head, MaxPicturePixels, layout);
    if (!problem.empty()) return problem;
    needed = std::max<std::uint64_t>(PixelsOf(layout, ParseBmpFileHeader(head).offBits).end, PaletteOf(layout).End());
    return {};
}

PictureResult LoadBmpFile(const std::string& path, const LoadProgressFn& progress) {
    ImageBytes bytes;
    std::string error;
    if (!ReadFileBytes(path, bytes, error, MaxPictureFileBytes, BmpFileExtent)) return PictureResult::Failure(error);
    return DecodeBmp(bytes, progress);
}

}  // namespace calvix
