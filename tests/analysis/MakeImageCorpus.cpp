// Writes the small picture files of tests/data/images: valid BMP files of every header kind and
// pixel layout, valid JPEG files, and malformed ones. Files named ok_* must load, bad_* must be
// refused; the image tests check that, and the fuzzers start from them.
// Usage: make_image_corpus <folder>

#include "BmpTestFiles.h"
#include "analysis/BmpWriter.h"

#include <cstdio>
#include <string>

using namespace calvix;
using namespace calvix::test;

namespace {

BmpBuilder Bmp24(const ScanBitmap& image, std::uint32_t headerSize, bool topDown) {
    BmpBuilder b;
    b.headerSize = headerSize;
    b.width = image.Width();
    b.height = topDown ? -image.Height() : image.Height();
    b.rows = Rows24(image, topDown);
    return b;
}

BmpBuilder Paletted(std::uint16_t bits, std::uint32_t headerSize) {
    BmpBuilder b;
    b.headerSize = headerSize;
    b.width = 9;
    b.height = 4;
    b.bits = bits;
    for (std::uint32_t i = 0; i < (1u << bits); ++i) b.palette.push_back((i * 0x3F1F07u) & 0xFFFFFF);
    const std::size_t rowBytes = (9 * bits + 7) / 8;
    for (int y = 0; y < 4; ++y) {
        std::vector<std::uint8_t> row(rowBytes);
        for (std::size_t i = 0; i < rowBytes; ++i) row[i] = static_cast<std::uint8_t>(0x5A + 37 * i + 11 * y);
        b.rows.push_back(row);
    }
    return b;
}

BmpBuilder Direct(std::uint16_t bits, std::uint32_t compression, std::array<std::uint32_t, 4> masks,
                  std::uint32_t headerSize = 40) {
    BmpBuilder b;
    b.headerSize = headerSize;
    b.width = 5;
    b.height = -3;
    b.bits = bits;
    b.compression = compression;
    b.masks = masks;
    b.masksAfterHeader = headerSize == 40 && compression != 0;
    for (int y = 0; y < 3; ++y) {
        std::vector<std::uint8_t> row(5 * bits / 8);
        for (std::size_t i = 0; i < row.size(); ++i) row[i] = static_cast<std::uint8_t>(19 * i + 71 * y);
        b.rows.push_back(row);
    }
    return b;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_image_corpus <folder>\n");
        return 2;
    }
    const std::string dir = argv[1];
    auto put = [&](const std::string& name, const std::vector<std::uint8_t>& bytes) {
        WriteBytes(dir + "/" + name, bytes);
    };
    const ScanBitmap picture = Pattern(7, 5);

    put("ok_written_24.bmp", EncodeBmp(picture));
    put("ok_core_24.bmp", Bmp24(picture, 12, false).Build());
    put("ok_info_topdown_24.bmp", Bmp24(picture, 40, true).Build());
    put("ok_v4_24.bmp", Bmp24(picture, 108, false).Build());
    put("ok_v5_topdown_24.bmp", Bmp24(picture, 124, true).Build());
    put("ok_v3_24.bmp", Bmp24(picture, 56, false).Build());
    put("ok_info_1.bmp", Paletted(1, 40).Build());
    put("ok_info_4.bmp", Paletted(4, 40).Build());
    put("ok_info_8.bmp", Paletted(8, 40).Build());
    put("ok_core_8.bmp", Paletted(8, 12).Build());
    put("ok_rgb555_16.bmp", Direct(16, 0, {}).Build());
    put("ok_bitfields565_16.bmp", Direct(16, 3, {0xF800, 0x07E0, 0x001F, 0}).Build());
    put("ok_rgb_32.bmp", Direct(32, 0, {}).Build());
    put("ok_alphabitfields_32.bmp", Direct(32, 6, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}).Build());
    put("ok_v5_bitfields_32.bmp", Direct(32, 3, {0x3FF00000, 0x000FFC00, 0x000003FF, 0}, 124).Build());

    BmpBuilder rle = Paletted(8, 40);
    rle.compression = 1;
    put("bad_rle8.bmp", rle.Build());
    BmpBuilder absurd = Bmp24(picture, 40, false);
    absurd.width = 60000;
    absurd.height = 60000;
    put("bad_absurd_size.bmp", absurd.Build());
    std::vector<std::uint8_t> cut = Bmp24(picture, 40, false).Build();
    cut.resize(cut.size() - 20);
    put("bad_truncated.bmp", cut);
    std::vector<std::uint8_t> offset = Bmp24(picture, 40, false).Build();
    offset[10] = 30;
    put("bad_offset_in_header.bmp", offset);
    BmpBuilder depth = Bmp24(picture, 40, false);
    depth.bits = 2;
    put("bad_two_bits.bmp", depth.Build());

    put("ok_colour.jpg", EncodeJpeg(Pattern(24, 16), JpegKind::Colour, 80));
    put("ok_grey.jpg", EncodeJpeg(Pattern(16, 16), JpegKind::Grey, 80));
    put("ok_progressive.jpg", EncodeJpeg(Pattern(24, 16), JpegKind::Progressive, 80));
    put("ok_cmyk.jpg", EncodeJpeg(Pattern(16, 8), JpegKind::Cmyk, 80));
    std::vector<std::uint8_t> jpeg = EncodeJpeg(Pattern(24, 16), JpegKind::Colour, 80);
    jpeg.resize(jpeg.size() / 2);
    put("bad_truncated.jpg", jpeg);
    jpeg = EncodeJpeg(Pattern(24, 16), JpegKind::Progressive, 80);
    // A frame header claiming an empty picture.
    for (std::size_t i = 0; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC2) {
            jpeg[i + 5] = jpeg[i + 6] = 0;
            break;
        }
    }
    put("bad_empty_frame.jpg", jpeg);
    return 0;
}
