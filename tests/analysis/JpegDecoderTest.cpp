// JPEG decoding: colour, greyscale, progressive and CMYK files come out as 24-bit images close
// to what was encoded; damaged, truncated and oversized files come back as errors.

#include "analysis/JpegDecoder.h"

#include "BmpTestFiles.h"

#include <gtest/gtest.h>

namespace calvix {
namespace {

using test::EncodeJpeg;
using test::JpegKind;

// Flat 8x8 blocks survive JPEG almost unchanged, so a small tolerance suffices.
constexpr int JpegTolerance = 6;

ScanBitmap Blocks() {
    ScanBitmap image(32, 16);
    const PackedColour colours[] = {MakeColour(200, 40, 40), MakeColour(40, 200, 40), MakeColour(40, 40, 200),
                                    MakeColour(128, 128, 128)};
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x) image.SetPixel(x, y, colours[((x / 16) + 2 * (y / 8)) & 3]);
    }
    return image;
}

void ExpectNear(PackedColour actual, PackedColour expected, const char* what) {
    EXPECT_NEAR(RedOf(actual), RedOf(expected), JpegTolerance) << what;
    EXPECT_NEAR(GreenOf(actual), GreenOf(expected), JpegTolerance) << what;
    EXPECT_NEAR(BlueOf(actual), BlueOf(expected), JpegTolerance) << what;
}

class JpegKinds : public ::testing::TestWithParam<JpegKind> {};

TEST_P(JpegKinds, DecodesToTwentyFourBitsCloseToTheOriginal) {
    const ScanBitmap original = Blocks();
    const PictureResult r = DecodeJpeg(EncodeJpeg(original, GetParam()));
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.image.Width(), 32);
    ASSERT_EQ(r.image.Height(), 16);
    for (const auto& [x, y] : {std::pair{4, 4}, std::pair{20, 4}, std::pair{4, 12}, std::pair{20, 12}}) {
        PackedColour expected = original.Pixel(x, y);
        if (GetParam() == JpegKind::Grey) {
            const int mean = (RedOf(expected) + GreenOf(expected) + BlueOf(expected)) / 3;
            expected = MakeColour(mean, mean, mean);
            EXPECT_EQ(RedOf(r.image.Pixel(x, y)), BlueOf(r.image.Pixel(x, y)));
        }
        ExpectNear(r.image.Pixel(x, y), expected, "block centre");
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, JpegKinds,
                         ::testing::Values(JpegKind::Colour, JpegKind::Grey, JpegKind::Progressive, JpegKind::Cmyk));

TEST(JpegDecoder, TruncatedFilesAreRefused) {
    for (JpegKind kind : {JpegKind::Colour, JpegKind::Progressive}) {
        const std::vector<std::uint8_t> file = EncodeJpeg(test::Pattern(64, 64), kind);
        for (std::size_t n : {std::size_t{0}, std::size_t{2}, std::size_t{100}, file.size() / 2, file.size() - 2}) {
            const PictureResult r = DecodeJpeg(std::span<const std::uint8_t>(file.data(), n));
            EXPECT_FALSE(r.ok) << "cut at " << n;
            EXPECT_FALSE(r.error.empty());
        }
    }
}

TEST(JpegDecoder, PixelLimitIsEnforced) {
    const std::vector<std::uint8_t> file = EncodeJpeg(Blocks(), JpegKind::Colour);
    EXPECT_TRUE(DecodeJpeg(file, {}, 32 * 16).ok);
    const PictureResult r = DecodeJpeg(file, {}, 32 * 16 - 1);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("too large"), std::string::npos);
}

TEST(JpegDecoder, ProgressStartsAndEnds) {
    std::vector<LoadStage> stages;
    const PictureResult r = DecodeJpeg(EncodeJpeg(test::Pattern(64, 200), JpegKind::Progressive),
                                       [&](LoadStage s, int, const std::string&) { stages.push_back(s); });
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_GE(stages.size(), 2u);
    EXPECT_EQ(stages.front(), LoadStage::Starting);
    EXPECT_EQ(stages.back(), LoadStage::Ending);
}

}  // namespace
}  // namespace calvix
