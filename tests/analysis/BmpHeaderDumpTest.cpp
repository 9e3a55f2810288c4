// The BMP header dump: exact texts for each header kind, the field prefixes, the mask block
// of a 40-byte header with bit fields, and short input.

#include "analysis/BmpHeaderDump.h"

#include "BmpTestFiles.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace calvix {
namespace {

using test::BmpBuilder;

BmpHeaderDump DumpOf(const BmpBuilder& b) {
    const std::vector<std::uint8_t> file = b.Build();
    return DumpBmpHeaderBytes(std::span<const std::uint8_t>(file.data(), std::min<std::size_t>(file.size(), BmpDumpBytes)));
}

BmpBuilder Small(std::uint32_t headerSize, std::int32_t height = 2) {
    BmpBuilder b;
    b.headerSize = headerSize;
    b.width = 3;
    b.height = height;
    b.rows.assign(2, std::vector<std::uint8_t>(9, 0x40));
    return b;
}

TEST(BmpHeaderDump, InfoHeaderUsesPrefixIAndNoMaskLines) {
    const BmpHeaderDump dump = DumpOf(Small(40, -2));
    const std::vector<std::string> expected = {
        "\r\nBITMAPFILEHEADER\r\n\t.bfType = 0x4D42\r\n\t.bfSize = 78\r\n\t.bfReserved1 = 0\r\n"
        "\t.bfReserved2 = 0\r\n\t.bfOffBits = 54\r\n",
        "BITMAPINFOHEADER",
        "\t.biSize = 40",
        "\t.biWidth = 3",
        "\t.biHeight = -2",
        "\t.biPlanes = 1",
        "\t.biBitCount = 24",
        "\t.biCompression = BI_RGB (0)",
        "\t.biSizeImage = 0",
        "\t.biXPelsPerMeter = 2835",
        "\t.biYPelsPerMeter = 2835",
        "\t.biClrUsed = 0",
        "\t.biClrImportant = 0",
    };
    EXPECT_EQ(dump.lines, expected);
    EXPECT_TRUE(dump.heightNegative);
}

TEST(BmpHeaderDump, V5HeaderUsesPrefixV5WithMasksEndpointsGammaAndExtras) {
    BmpBuilder b = Small(124);
    b.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    const BmpHeaderDump dump = DumpOf(b);
    ASSERT_EQ(dump.lines.size(), 2u + 11 + 5 + 9 + 3 + 4);
    EXPECT_EQ(dump.lines[1], "BITMAPV5HEADER");
    EXPECT_EQ(dump.lines[2], "\t.bv5Size = 124");
    EXPECT_EQ(dump.lines[3], "\t.bv5Width = 3");
    EXPECT_EQ(dump.lines[13], "\t.bv5RedMask   = 00FF0000");
    EXPECT_EQ(dump.lines[14], "\t.bv5GreenMask = 0000FF00");
    EXPECT_EQ(dump.lines[15], "\t.bv5BlueMask  = 000000FF");
    EXPECT_EQ(dump.lines[16], "\t.bv5AlphaMask = FF000000");
    EXPECT_EQ(dump.lines[17], "\t.bv5CSType = 0");
    EXPECT_EQ(dump.lines[18], "\t.bv5Endpoints.ciexyzRed.ciexyzX   = 00000000");
    EXPECT_EQ(dump.lines[22], "\t.bv5Endpoints.ciexyzGreen.ciexyzY = 00000000");
    EXPECT_EQ(dump.lines[26], "\t.bv5Endpoints.ciexyzBlue.ciexyzZ  = 00000000");
    EXPECT_EQ(dump.lines[27], "\t.bv5GammaRed   = 00000000");
    EXPECT_EQ(dump.lines[28], "\t.bv5GammaGreen = 00000000");
    EXPECT_EQ(dump.lines[29], "\t.bv5GammaBlue  = 00000000\r\n");
    EXPECT_EQ(dump.lines[30], "\t.bv5Intent = 0");
    EXPECT_EQ(dump.lines[33], "\t.bv5Reserved = 0\r\n");
    EXPECT_FALSE(dump.heightNegative);
}

TEST(BmpHeaderDump, V4HeaderStopsAfterGamma) {
    const BmpHeaderDump dump = DumpOf(Small(108));
    ASSERT_EQ(dump.lines.size(), 2u + 11 + 5 + 9 + 3);
    EXPECT_EQ(dump.lines[1], "BITMAPV4HEADER");
    EXPECT_EQ(dump.lines[2], "\t.bv4Size = 108");
    EXPECT_EQ(dump.lines.back(), "\t.bv4GammaBlue  = 00000000\r\n");
}

TEST(BmpHeaderDump, CoreHeaderIsOneBlock) {
    const BmpHeaderDump dump = DumpOf(Small(12));
    ASSERT_EQ(dump.lines.size(), 3u);
    EXPECT_EQ(dump.lines[1], "BITMAPCOREHEADER!");
    EXPECT_EQ(dump.lines[2], "\t.bcSize = 12\r\n\t.bcWidth = 3\r\n\t.bcHeight = 2\r\n\t.bcPlanes = 1\r\n\t.bcBitCount = 24\r\n");
}

TEST(BmpHeaderDump, BitFieldMasksOfAnInfoHeaderUseTheGermanNames) {
    BmpBuilder b = Small(40);
    b.bits = 16;
    b.compression = 3;
    b.masks = {0xF800, 0x07E0, 0x001F, 0};
    b.masksAfterHeader = true;
    const BmpHeaderDump dump = DumpOf(b);
    ASSERT_EQ(dump.lines.size(), 2u + 11 + 1);
    EXPECT_EQ(dump.lines[7], "\t.biCompression = BI_BITFIELDS (3)");
    EXPECT_EQ(dump.lines.back(), "Rotmaske  = 0000F800\r\nGr\xC3\xBCnmaske = 000007E0\r\nBlaumaske = 0000001F\r\n\r\n");
}

TEST(BmpHeaderDump, UnknownSizeAndUnknownCompression) {
    BmpBuilder b = Small(64);
    b.compression = 77;
    const BmpHeaderDump dump = DumpOf(b);
    EXPECT_EQ(dump.lines[1], "Header unknown!");
    EXPECT_EQ(dump.lines[7], "\t.biCompression = unknown (77)");
    EXPECT_EQ(dump.lines.size(), 2u + 11 + 5 + 9 + 3);
}

TEST(BmpHeaderDump, ShortInputReadsAsZeros) {
    const std::uint8_t bytes[] = {'B', 'M', 1};
    const BmpHeaderDump dump = DumpBmpHeaderBytes(bytes);
    EXPECT_EQ(dump.lines[1], "Header unknown!");
    EXPECT_EQ(dump.lines[2], "\t.biSize = 0");
    EXPECT_FALSE(dump.heightNegative);
}

TEST(BmpHeaderDump, ReadsOnlyTheFirstBytesOfAFileAndFailsOnAMissingOne) {
    test::TempDir dir;
    test::WriteBytes(dir.File("a.bmp"), Small(40, -2).Build());
    BmpHeaderDump dump;
    ASSERT_TRUE(DumpBmpHeaders(dir.File("a.bmp"), dump));
    EXPECT_EQ(dump.lines[4], "\t.biHeight = -2");
    EXPECT_FALSE(DumpBmpHeaders(dir.File("missing.bmp"), dump));
}

}  // namespace
}  // namespace calvix
