// The conversion of a transferred bitmap block: headers that lie about the block are refused
// without reading past it, a wrong bit depth is told apart, and both row orders come out with
// row 0 at the top.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <vector>

#include "FakeTwainManager.h"
#include "scanner/TwainDib.h"

namespace calvix::test {
namespace {

using Block = std::vector<std::uint8_t>;

template <typename T>
void Put(Block& block, std::size_t offset, T value) {
    std::memcpy(block.data() + offset, &value, sizeof value);
}

// Field offsets in the 40-byte header.
constexpr std::size_t kSize = 0, kWidth = 4, kHeight = 8, kPlanes = 12, kBits = 14, kCompression = 16, kSizeImage = 20,
                      kClrUsed = 32;

TEST(DibConversion, RefusesEveryHeaderThatDoesNotFitItsBlock) {
    // 4 x 3 pixels: rows of 12 bytes, 76 bytes in all.
    struct Case {
        const char* name;
        std::function<void(Block&)> change;
        DibStatus status;
    } cases[] = {
        {"as made", [](Block&) {}, DibStatus::Ok},
        {"trailing bytes", [](Block& b) { b.resize(100); }, DibStatus::Ok},
        {"8 bits", [](Block& b) { Put<std::uint16_t>(b, kBits, 8); }, DibStatus::BitDepth},
        {"32 bits", [](Block& b) { Put<std::uint16_t>(b, kBits, 32); }, DibStatus::BitDepth},
        {"shorter than a header", [](Block& b) { b.resize(39); }, DibStatus::BadHeader},
        {"last padding missing", [](Block& b) { b.resize(75); }, DibStatus::BadHeader},
        {"one row more than the block", [](Block& b) { Put<std::int32_t>(b, kHeight, 4); }, DibStatus::BadHeader},
        {"top-down, one row more", [](Block& b) { Put<std::int32_t>(b, kHeight, -4); }, DibStatus::BadHeader},
        {"lowest height", [](Block& b) { Put<std::int32_t>(b, kHeight, INT_MIN); }, DibStatus::BadHeader},
        {"height 0", [](Block& b) { Put<std::int32_t>(b, kHeight, 0); }, DibStatus::BadHeader},
        {"width 0", [](Block& b) { Put<std::int32_t>(b, kWidth, 0); }, DibStatus::BadHeader},
        {"negative width", [](Block& b) { Put<std::int32_t>(b, kWidth, -4); }, DibStatus::BadHeader},
        {"width past the limit", [](Block& b) { Put<std::int32_t>(b, kWidth, 65536); }, DibStatus::BadHeader},
        {"width a row too wide", [](Block& b) { Put<std::int32_t>(b, kWidth, 5); }, DibStatus::BadHeader},
        {"header size past the block", [](Block& b) { Put<std::uint32_t>(b, kSize, 1000); }, DibStatus::BadHeader},
        {"header size below 40", [](Block& b) { Put<std::uint32_t>(b, kSize, 12); }, DibStatus::BadHeader},
        {"compressed", [](Block& b) { Put<std::uint32_t>(b, kCompression, 1); }, DibStatus::BadHeader},
        {"two planes", [](Block& b) { Put<std::uint16_t>(b, kPlanes, 2); }, DibStatus::BadHeader},
        {"colour table pushes rows out", [](Block& b) { Put<std::uint32_t>(b, kClrUsed, 1); }, DibStatus::BadHeader},
        {"huge colour table", [](Block& b) { Put<std::uint32_t>(b, kClrUsed, 0xFFFFFFFFu); }, DibStatus::BadHeader},
        {"image size below its rows", [](Block& b) { Put<std::uint32_t>(b, kSizeImage, 35); }, DibStatus::BadHeader},
        {"image size 0", [](Block& b) { Put<std::uint32_t>(b, kSizeImage, 0); }, DibStatus::Ok},
        {"one pixel wide and high",
         [](Block& b) { Put<std::int32_t>(b, kWidth, 1), Put<std::int32_t>(b, kHeight, -1); }, DibStatus::Ok},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Block block = MakeDib(4, 3, 24, 0x55);
        ASSERT_EQ(block.size(), 76u);
        c.change(block);
        // An exact-size heap copy, so a read past it is caught by the sanitizers.
        auto exact = std::make_unique<std::uint8_t[]>(block.size());
        std::memcpy(exact.get(), block.data(), block.size());
        const DibConversion result = ConvertDib(exact.get(), block.size());
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.bitmap.Empty(), c.status != DibStatus::Ok);
        if (c.status == DibStatus::BadHeader) {
            EXPECT_FALSE(result.reason.empty());
        }
        if (c.status == DibStatus::BitDepth) {
            EXPECT_NE(result.bitCount, 24);
        }
    }
}

TEST(DibConversion, BothRowOrdersComeOutTopRowFirst) {
    for (const bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        Block block = MakeDib(5, 3, 24, 0x77, topDown);  // rows of 15 + 1 padding bytes
        const DibConversion result = ConvertDib(block.data(), block.size());
        ASSERT_EQ(result.status, DibStatus::Ok);
        ASSERT_EQ(result.bitmap.Width(), 5);
        ASSERT_EQ(result.bitmap.Height(), 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) EXPECT_EQ(result.bitmap.Pixel(x, y), MakeColour(0x77, y, x)) << x << "," << y;
    }
    // A larger header and a colour table before the rows move them along.
    Block block = MakeDib(2, 2, 24, 0x11);
    block.insert(block.begin() + 40, 84 + 8, 0xEE);
    Put<std::uint32_t>(block, kSize, 124);
    Put<std::uint32_t>(block, kClrUsed, 2);
    const DibConversion result = ConvertDib(block.data(), block.size());
    ASSERT_EQ(result.status, DibStatus::Ok);
    EXPECT_EQ(result.bitmap.Pixel(1, 1), MakeColour(0x11, 1, 1));
}

TEST(DibConversion, HandleOwnsTheBlockAndKnowsItsSize) {
    DibHandle empty = DibHandle::Adopt(nullptr);
    EXPECT_TRUE(empty.Empty());
    EXPECT_EQ(empty.Size(), 0u);
    DibHandle handle = DibHandle::Adopt(std::calloc(1, 300));
    EXPECT_GE(handle.Size(), 300u);
    DibHandle moved = std::move(handle);
    EXPECT_TRUE(handle.Empty());
    EXPECT_FALSE(moved.Empty());
    moved.Release();
    EXPECT_TRUE(moved.Empty());
    EXPECT_EQ(moved.Size(), 0u);
}

}  // namespace
}  // namespace calvix::test
