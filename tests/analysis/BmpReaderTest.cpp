// BMP reading and writing: round trips, every header kind, the converted pixel layouts, and
// the refusals of malformed or unsupported files.

#include "analysis/BmpReader.h"

#include "BmpTestFiles.h"
#include "TempDir.h"
#include "analysis/BmpWriter.h"
#include "analysis/PictureLoader.h"

#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace calvix {
namespace {

using test::BmpBuilder;
using test::Pattern;
using test::Rows24;

BmpBuilder Bmp24(const ScanBitmap& image, std::uint32_t headerSize = 40, bool topDown = false) {
    BmpBuilder b;
    b.headerSize = headerSize;
    b.width = image.Width();
    b.height = topDown ? -image.Height() : image.Height();
    b.rows = Rows24(image, topDown);
    return b;
}

class RoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(RoundTrip, EncodedImageDecodesUnchanged) {
    const ScanBitmap image = Pattern(GetParam(), 3, GetParam());
    const std::vector<std::uint8_t> file = EncodeBmp(image);
    const PictureResult back = DecodeBmp(file);
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.image, image);
    EXPECT_FALSE(back.topDown);
}

// Widths 1 to 5 cover every amount of row padding.
INSTANTIATE_TEST_SUITE_P(Widths, RoundTrip, ::testing::Values(1, 2, 3, 4, 5, 13));

TEST(BmpWriter, WritesStandardBottomUpInfoHeaderFile) {
    test::TempDir dir;
    const ScanBitmap image = Pattern(3, 2);
    std::string error;
    ASSERT_TRUE(SaveBmpFile(image, dir.File("out.bmp"), error)) << error;
    const std::string text = test::ReadFileText(dir.File("out.bmp"));
    const std::vector<std::uint8_t> file(text.begin(), text.end());
    ASSERT_EQ(file.size(), 54u + 2 * 12);  // 9 bytes per row padded to 12
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(file[2], file.size());
    EXPECT_EQ(file[10], 54);
    EXPECT_EQ(file[14], 40);
    EXPECT_EQ(file[22], 2);   // positive height: bottom-up
    EXPECT_EQ(file[28], 24);
    EXPECT_EQ(file[30], 0);   // BI_RGB
    // The first stored row is the bottom row of the picture; padding bytes are zero.
    EXPECT_EQ(file[54], image.Row(1)[0]);
    EXPECT_EQ(file[54 + 9], 0);
    EXPECT_EQ(file[54 + 12], image.Row(0)[0]);
    EXPECT_FALSE(test::FileExists(dir.File("out.bmp.tmp")));
    const PictureResult back = LoadBmpFile(dir.File("out.bmp"));
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.image, image);
}

TEST(BmpWriter, OverwritingInPlaceLeavesExactlyTheNewFile) {
    test::TempDir dir;
    std::string error;
    const ScanBitmap large = Pattern(40, 30);
    const ScanBitmap small = Pattern(5, 2, 7);
    ASSERT_TRUE(SaveBmpFile(large, dir.File("help.bmp"), error, BmpSaveMode::OverwriteInPlace)) << error;
    ASSERT_TRUE(SaveBmpFile(small, dir.File("help.bmp"), error, BmpSaveMode::OverwriteInPlace)) << error;
    const std::string text = test::ReadFileText(dir.File("help.bmp"));
    EXPECT_EQ(std::vector<std::uint8_t>(text.begin(), text.end()), EncodeBmp(small));
    EXPECT_FALSE(SaveBmpFile(small, dir.File("missing/help.bmp"), error, BmpSaveMode::OverwriteInPlace));
    EXPECT_FALSE(error.empty());
}

// The in-place overwrite writes only into a file that is the path's own: a symbolic link or a
// second hard link is replaced, and what it pointed to stays as it was.
TEST(BmpWriter, SavingNeverWritesThroughALink) {
    const ScanBitmap image = Pattern(6, 4);
    for (const BmpSaveMode mode : {BmpSaveMode::OverwriteInPlace, BmpSaveMode::ReplaceAtomically}) {
        for (const bool hardLink : {false, true}) {
            test::TempDir dir;
            test::WriteFileText(dir.File("victim"), "keep");
            const int linked = hardLink ? ::link(dir.File("victim").c_str(), dir.File("help.bmp").c_str())
                                        : ::symlink(dir.File("victim").c_str(), dir.File("help.bmp").c_str());
            ASSERT_EQ(linked, 0);
            std::string error;
            ASSERT_TRUE(SaveBmpFile(image, dir.File("help.bmp"), error, mode)) << error;
            EXPECT_EQ(test::ReadFileText(dir.File("victim")), "keep") << hardLink;
            EXPECT_FALSE(std::filesystem::is_symlink(dir.File("help.bmp")));
            const std::string text = test::ReadFileText(dir.File("help.bmp"));
            EXPECT_EQ(std::vector<std::uint8_t>(text.begin(), text.end()), EncodeBmp(image));
        }
    }
}

// Larger than the write buffer, with padded rows: the buffered writes keep every byte in order.
TEST(BmpWriter, ImageLargerThanTheWriteBufferIsWrittenExactly) {
    const ScanBitmap image = Pattern(701, 600, 3);
    const std::vector<std::uint8_t> expected = EncodeBmp(image);
    ASSERT_GT(expected.size(), std::size_t{1} << 20);
    test::TempDir dir;
    for (const BmpSaveMode mode : {BmpSaveMode::ReplaceAtomically, BmpSaveMode::OverwriteInPlace}) {
        std::string error;
        ASSERT_TRUE(SaveBmpFile(image, dir.File("big.bmp"), error, mode)) << error;
        const std::string text = test::ReadFileText(dir.File("big.bmp"));
        EXPECT_TRUE(std::vector<std::uint8_t>(text.begin(), text.end()) == expected);
    }
}

// Only regular files are read: a FIFO would block the open, /dev/zero would be read to the size
// cap (a gigabyte) before failing.
TEST(BmpReader, SpecialFilesAreRefusedAtOnce) {
    test::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("scan.bmp").c_str(), 0600), 0);
    for (const std::string& path : {dir.File("scan.bmp"), std::string("/dev/zero"), dir.Path()}) {
        const PictureResult r = LoadBmpFile(path);
        EXPECT_FALSE(r.ok) << path;
        EXPECT_NE(r.error.find("not a"), std::string::npos) << r.error;
    }
}

TEST(BmpReader, TopDownRowsComeOutTopFirst) {
    const ScanBitmap image = Pattern(4, 3);
    const PictureResult r = DecodeBmp(Bmp24(image, 40, true).Build());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.topDown);
    EXPECT_EQ(r.image, image);
}

class HeaderKinds : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(HeaderKinds, TwentyFourBitImageReadsTheSame) {
    const ScanBitmap image = Pattern(5, 4);
    for (bool topDown : {false, true}) {
        if (GetParam() == 12 && topDown) continue;  // the core header has no signed height
        const PictureResult r = DecodeBmp(Bmp24(image, GetParam(), topDown).Build());
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.image, image);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, HeaderKinds, ::testing::Values(12u, 40u, 52u, 56u, 108u, 124u));

TEST(BmpReader, LastRowWithoutPaddingIsAccepted) {
    BmpBuilder b = Bmp24(Pattern(3, 2));
    b.padLastRow = false;
    const PictureResult r = DecodeBmp(b.Build());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image, Pattern(3, 2));
}

struct PalettedCase {
    const char* name;
    std::uint32_t headerSize;
    std::uint16_t bits;
    std::vector<std::uint8_t> row;  // one row of 4 pixels
    std::vector<int> indices;       // expected palette index per pixel
};

class Paletted : public ::testing::TestWithParam<PalettedCase> {};

TEST_P(Paletted, IndicesMapThroughThePalette) {
    const PalettedCase& c = GetParam();
    BmpBuilder b;
    b.headerSize = c.headerSize;
    b.width = 4;
    b.height = 1;
    b.bits = c.bits;
    for (std::uint32_t i = 0; i < (1u << c.bits); ++i) b.palette.push_back(0x010203u * (i + 1) & 0xFFFFFF);
    b.rows = {c.row};
    const PictureResult r = DecodeBmp(b.Build());
    ASSERT_TRUE(r.ok) << r.error;
    for (int x = 0; x < 4; ++x) {
        const std::uint32_t rgb = b.palette[c.indices[x]];
        EXPECT_EQ(r.image.Pixel(x, 0), MakeColour(rgb >> 16, rgb >> 8, rgb)) << c.name << " pixel " << x;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Depths, Paletted,
    ::testing::Values(PalettedCase{"1-bit", 40, 1, {0b10110000}, {1, 0, 1, 1}},
                      PalettedCase{"4-bit", 40, 4, {0x3A, 0x0F}, {3, 10, 0, 15}},
                      PalettedCase{"8-bit", 40, 8, {7, 200, 0, 255}, {7, 200, 0, 255}},
                      PalettedCase{"8-bit core", 12, 8, {1, 2, 3, 4}, {1, 2, 3, 4}},
                      PalettedCase{"4-bit V5", 124, 4, {0x12, 0x34}, {1, 2, 3, 4}}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name) if (!isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

TEST(BmpReader, IndexBeyondTheStoredPaletteReadsBlack) {
    BmpBuilder b;
    b.width = 2;
    b.bits = 8;
    b.clrUsed = 2;
    b.palette = {0xFFFFFF, 0x808080};
    b.rows = {{1, 9}};
    const PictureResult r = DecodeBmp(b.Build());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image.Pixel(0, 0), MakeColour(128, 128, 128));
    EXPECT_EQ(r.image.Pixel(1, 0), MakeColour(0, 0, 0));
}

struct DirectCase {
    const char* name;
    std::uint32_t headerSize;
    std::uint16_t bits;
    std::uint32_t compression;
    std::array<std::uint32_t, 4> masks;
    std::vector<std::uint8_t> pixel;  // one pixel as stored
    PackedColour expected;
};

class DirectColour : public ::testing::TestWithParam<DirectCase> {};

TEST_P(DirectColour, ChannelsScaleToEightBits) {
    const DirectCase& c = GetParam();
    BmpBuilder b;
    b.headerSize = c.headerSize;
    b.width = 1;
    b.bits = c.bits;
    b.compression = c.compression;
    b.masks = c.masks;
    b.masksAfterHeader = c.headerSize == 40 && c.compression != 0;
    b.rows = {c.pixel};
    const PictureResult r = DecodeBmp(b.Build());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image.Pixel(0, 0), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, DirectColour,
    ::testing::Values(
        // 16-bit without masks is x555: red 31 -> 255, green 16 -> 132, blue 1 -> 8.
        DirectCase{"rgb555", 40, 16, 0, {}, {0x01, 0x7E}, MakeColour(255, 132, 8)},
        DirectCase{"bitfields565", 40, 16, 3, {0xF800, 0x07E0, 0x001F, 0}, {0xFF, 0x07}, MakeColour(0, 255, 255)},
        DirectCase{"rgb32", 40, 32, 0, {}, {10, 20, 30, 99}, MakeColour(30, 20, 10)},
        DirectCase{"bitfields32_rgba", 40, 32, 3, {0xFF000000, 0x00FF0000, 0x0000FF00, 0}, {1, 2, 3, 4}, MakeColour(4, 3, 2)},
        // 10 bits per channel keep their top 8 bits.
        DirectCase{"ten_bit", 40, 32, 3, {0x3FF00000, 0x000FFC00, 0x000003FF, 0}, {0xFF, 0x03, 0x00, 0x20}, MakeColour(128, 0, 255)},
        DirectCase{"alphabitfields", 40, 32, 6, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {5, 6, 7, 8}, MakeColour(7, 6, 5)},
        DirectCase{"v5_masks_in_header", 124, 16, 3, {0xF800, 0x07E0, 0x001F, 0}, {0x00, 0xF8}, MakeColour(255, 0, 0)},
        DirectCase{"zero_mask_channel", 40, 16, 3, {0, 0x07E0, 0x001F, 0}, {0xFF, 0xFF}, MakeColour(0, 255, 255)}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusalCase {
    const char* name;
    std::vector<std::uint8_t> file;
};

BmpBuilder Valid8x2() { return Bmp24(Pattern(8, 2)); }

std::vector<RefusalCase> Refusals() {
    std::vector<RefusalCase> cases;
    auto add = [&](const char* name, BmpBuilder b) { cases.push_back({name, b.Build()}); };
    BmpBuilder b = Valid8x2();
    b.compression = 1; b.bits = 8; add("rle8", b);
    b = Valid8x2(); b.compression = 2; b.bits = 4; add("rle4", b);
    b = Valid8x2(); b.compression = 4; add("embedded_jpeg", b);
    b = Valid8x2(); b.compression = 5; add("embedded_png", b);
    b = Valid8x2(); b.bits = 2; add("two_bits", b);
    b = Valid8x2(); b.compression = 3; b.masksAfterHeader = true; add("bitfields_24", b);
    b = Valid8x2(); b.width = 0; add("width_zero", b);
    b = Valid8x2(); b.width = -8; add("width_negative", b);
    b = Valid8x2(); b.height = 0; add("height_zero", b);
    b = Valid8x2(); b.height = INT32_MIN; add("height_int_min", b);
    b = Valid8x2(); b.width = 70000; add("width_too_large", b);
    b = Valid8x2(); b.width = 60000; b.height = -60000; add("absurd_pixel_count", b);
    b = Valid8x2(); b.headerSize = 20; add("header_size_20", b);
    b = Valid8x2(); b.headerSize = 64; add("os2_header", b);
    b = Valid8x2(); b.height = 3; add("missing_row", b);
    std::vector<std::uint8_t> file = Valid8x2().Build();
    file[0] = 'X';
    cases.push_back({"no_signature", file});
    file = Valid8x2().Build();
    file[10] = 20;  // pixel data offset inside the info header
    cases.push_back({"offset_into_headers", file});
    file = Valid8x2().Build();
    file.resize(30);
    cases.push_back({"cut_in_header", file});
    b = BmpBuilder{}; b.width = 2; b.bits = 8; b.palette.assign(256, 0x123456); b.rows = {{1, 2}};
    file = b.Build();
    file.resize(54 + 100);
    cases.push_back({"cut_in_palette", file});
    b = Valid8x2(); b.compression = 3; b.bits = 16; b.masksAfterHeader = false;
    file = b.Build();
    file.resize(58);
    cases.push_back({"cut_in_masks", file});
    cases.push_back({"empty", {}});
    return cases;
}

class Refused : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refused, GivesAnErrorAndNoImage) {
    const PictureResult r = DecodeBmp(GetParam().file);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_TRUE(r.image.Empty());
}

INSTANTIATE_TEST_SUITE_P(Malformed, Refused, ::testing::ValuesIn(Refusals()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BmpReader, RleIsNamedInTheError) {
    BmpBuilder b = Valid8x2();
    b.compression = 1;
    b.bits = 8;
    EXPECT_NE(DecodeBmp(b.Build()).error.find("RLE"), std::string::npos);
}

TEST(BmpReader, EveryTruncationOfAValidFileIsRefused) {
    for (std::uint32_t headerSize : {12u, 40u, 124u}) {
        const std::vector<std::uint8_t> file = Bmp24(Pattern(5, 3), headerSize).Build();
        ASSERT_TRUE(DecodeBmp(file).ok);
        // The last row's padding (1 byte for width 5) may be missing; anything shorter fails.
        for (std::size_t n = 0; n + 1 < file.size(); ++n) {
            const PictureResult r = DecodeBmp(std::span<const std::uint8_t>(file.data(), n));
            EXPECT_FALSE(r.ok) << "header " << headerSize << " cut at " << n;
        }
    }
}

TEST(BmpReader, PixelLimitIsEnforced) {
    const std::vector<std::uint8_t> file = Bmp24(Pattern(8, 4)).Build();
    EXPECT_TRUE(DecodeBmp(file, {}, 32).ok);
    EXPECT_FALSE(DecodeBmp(file, {}, 31).ok);
}

TEST(BmpReader, ProgressRunsFromStartToEnd) {
    std::vector<std::pair<LoadStage, int>> reports;
    const PictureResult r = DecodeBmp(Bmp24(Pattern(3, 40)).Build(), [&](LoadStage s, int p, const std::string&) {
        reports.emplace_back(s, p);
    });
    ASSERT_TRUE(r.ok);
    ASSERT_GE(reports.size(), 3u);
    EXPECT_EQ(reports.front(), std::make_pair(LoadStage::Starting, 0));
    EXPECT_EQ(reports.back(), std::make_pair(LoadStage::Ending, 100));
    for (std::size_t i = 1; i + 1 < reports.size(); ++i) {
        EXPECT_EQ(reports[i].first, LoadStage::Running);
        EXPECT_GT(reports[i].second, reports[i - 1].second);
        EXPECT_LT(reports[i].second, 100);
    }
}

// A huge header is refused from the first bytes, and a small image heading a huge sparse file is read alone.
TEST(BmpReader, FilesAreJudgedByTheirHeadersBeforeTheyAreRead) {
    BmpBuilder huge;
    huge.width = 30000, huge.height = 20000;
    for (const auto& [head, error] : {std::pair{huge.Build(), "BMP size 30000 x 20000 is too large"},
                                      std::pair{Bmp24(Pattern(4, 3)).Build(), ""}}) {
        test::TempDir dir;
        test::WriteFileText(dir.File("a.bmp"), std::string(head.begin(), head.end()));
        std::filesystem::resize_file(dir.File("a.bmp"), std::uint64_t{2} << 30);
        for (const PictureResult& r : {LoadBmpFile(dir.File("a.bmp")), LoadPicture(dir.File("a.bmp"), nullptr)}) {
            EXPECT_EQ(r.error, error);
            EXPECT_EQ(r.image, *error ? ScanBitmap() : Pattern(4, 3));
        }
    }
}

// Pixel data said to start outside a small file is named so (0xFFFFFFFF was taken for a file too large to read).
TEST(BmpReader, APixelOffsetOutsideTheFileIsNamed) {
    std::vector<std::uint8_t> file = Bmp24(Pattern(160, 333)).Build();
    test::TempDir dir;
    for (const std::uint32_t offset : {0xFFFFFFFFu, 159894u}) {
        for (std::size_t i = 0; i < 4; ++i) file[10 + i] = static_cast<std::uint8_t>(offset >> (8 * i));
        test::WriteFileText(dir.File("a.bmp"), std::string(file.begin(), file.end()));
        EXPECT_EQ(LoadBmpFile(dir.File("a.bmp")).error,
                  "BMP pixel data offset " + std::to_string(offset) + " is not inside the 159894-byte file");
    }
}

TEST(BmpReader, MissingFileIsAnError) {
    const PictureResult r = LoadBmpFile("/nonexistent-folder-xyz/a.bmp");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("cannot open"), std::string::npos);
}

}  // namespace
}  // namespace calvix
