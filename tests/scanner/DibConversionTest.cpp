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
std::function<void(Block&)> Put(std::size_t offset, T value) {
    return [=](Block& b) { std::memcpy(b.data() + offset, &value, sizeof value); };
}
std::function<void(Block&)> Resize(std::size_t size) {
    return [=](Block& b) { b.resize(size); };
}

TEST(DibConversion, RefusesEveryHeaderThatDoesNotFitItsBlock) {
    // Header fields: size 0, width 4, height 8, planes 12, bit count 14, compression 16, image
    // size 20, colours used 32. The block: 4 x 3 pixels, rows of 12 bytes, 76 bytes in all.
    const struct {
        const char* name;
        std::function<void(Block&)> change;
        DibStatus status;
    } cases[] = {
        {"as made", Resize(76), DibStatus::Ok},
        {"trailing bytes", Resize(100), DibStatus::Ok},
        {"image size 0", Put<std::uint32_t>(20, 0), DibStatus::Ok},
        {"one pixel", [](Block& b) { Put<std::int32_t>(4, 1)(b), Put<std::int32_t>(8, -1)(b); }, DibStatus::Ok},
        {"8 bits", Put<std::uint16_t>(14, 8), DibStatus::BitDepth},
        {"32 bits", Put<std::uint16_t>(14, 32), DibStatus::BitDepth},
        {"shorter than a header", Resize(39), DibStatus::BadHeader},
        {"last padding missing", Resize(75), DibStatus::BadHeader},
        {"one row more", Put<std::int32_t>(8, 4), DibStatus::BadHeader},
        {"top-down, one row more", Put<std::int32_t>(8, -4), DibStatus::BadHeader},
        {"lowest height", Put<std::int32_t>(8, INT_MIN), DibStatus::BadHeader},
        {"height 0", Put<std::int32_t>(8, 0), DibStatus::BadHeader},
        {"width 0", Put<std::int32_t>(4, 0), DibStatus::BadHeader},
        {"negative width", Put<std::int32_t>(4, -4), DibStatus::BadHeader},
        {"width past the limit", Put<std::int32_t>(4, 65536), DibStatus::BadHeader},
        {"one pixel wider", Put<std::int32_t>(4, 5), DibStatus::BadHeader},
        {"header size past the block", Put<std::uint32_t>(0, 1000), DibStatus::BadHeader},
        {"header size below 40", Put<std::uint32_t>(0, 12), DibStatus::BadHeader},
        {"compressed", Put<std::uint32_t>(16, 1), DibStatus::BadHeader},
        {"two planes", Put<std::uint16_t>(12, 2), DibStatus::BadHeader},
        {"colour table pushes rows out", Put<std::uint32_t>(32, 1), DibStatus::BadHeader},
        {"huge colour table", Put<std::uint32_t>(32, 0xFFFFFFFFu), DibStatus::BadHeader},
        {"image size below its rows", Put<std::uint32_t>(20, 35), DibStatus::BadHeader},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Block block = MakeDib(4, 3, 24, 0x55);
        c.change(block);
        // An exact-size heap copy, so a read past it is caught by the sanitizers.
        auto exact = std::make_unique<std::uint8_t[]>(block.size());
        std::memcpy(exact.get(), block.data(), block.size());
        const DibConversion result = ConvertDib(exact.get(), block.size());
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.bitmap.Empty(), c.status != DibStatus::Ok);
        EXPECT_EQ(result.reason.empty(), c.status != DibStatus::BadHeader);
        if (c.status == DibStatus::BitDepth) { EXPECT_NE(result.bitCount, 24); }
    }
}

TEST(DibConversion, BothRowOrdersComeOutTopRowFirst) {
    for (const bool topDown : {false, true}) {
        const DibConversion result = [&] {
            const Block block = MakeDib(5, 3, 24, 0x77, topDown);  // rows of 15 + 1 padding bytes
            return ConvertDib(block.data(), block.size());
        }();
        ASSERT_EQ(result.status, DibStatus::Ok);
        ASSERT_EQ(result.bitmap.Width() * 10 + result.bitmap.Height(), 53);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) EXPECT_EQ(result.bitmap.Pixel(x, y), MakeColour(0x77, y, x)) << x << "," << y;
    }
    // A larger header and a colour table before the rows move them along.
    Block block = MakeDib(2, 2, 24, 0x11);
    block.insert(block.begin() + 40, 84 + 8, 0xEE);
    Put<std::uint32_t>(0, 124)(block);
    Put<std::uint32_t>(32, 2)(block);
    const DibConversion result = ConvertDib(block.data(), block.size());
    ASSERT_EQ(result.status, DibStatus::Ok);
    EXPECT_EQ(result.bitmap.Pixel(1, 1), MakeColour(0x11, 1, 1));
}

}  // namespace
}  // namespace calvix::test
