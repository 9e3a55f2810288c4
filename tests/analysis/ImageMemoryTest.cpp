// Image memory hands out zeroed blocks without a container's zero-fill, and the gathering
// writer puts pieces from the caller's memory into a file in order: what the scan buffers and
// the saved images rely on once no pass over the bytes makes them so.
#include "analysis/ImageMemory.h"
#include "analysis/ScanBitmap.h"
#include "app/BufferedWriter.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/uio.h>
#include <unistd.h>
#include <vector>

namespace calvix {
namespace {

using test::ReadFileText;
using test::TempDir;
using test::WriteFileText;

bool AllZero(const std::uint8_t* p, std::size_t n) {
    return std::all_of(p, p + n, [](std::uint8_t b) { return b == 0; });
}

// Sizes below, at and above the point where blocks become mappings of their own, and ones
// that end inside a huge page.
class ImageMemorySizes : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ImageMemorySizes, BlocksArriveZeroedAndWholeAndCopiesAreEqual) {
    const std::size_t size = GetParam();
    // A block freed dirty must not come back dirty: fill one, free it, take the next.
    {
        ImageBuffer dirty(size);
        std::fill(dirty.data(), dirty.data() + size, std::uint8_t{0xA5});
    }
    ImageBuffer buffer(size);
    ASSERT_EQ(buffer.size(), size);
    EXPECT_TRUE(AllZero(buffer.data(), size));
    buffer.data()[0] = 1;
    buffer.data()[size - 1] = 2;  // the last byte is ours to write

    ImageBuffer copy(buffer);
    EXPECT_TRUE(copy == buffer);
    copy.data()[size / 2] ^= 0xFF;
    EXPECT_FALSE(copy == buffer);

    ImageBuffer moved(std::move(copy));
    EXPECT_EQ(copy.size(), 0u);
    EXPECT_EQ(moved.size(), size);
    moved = buffer;
    EXPECT_TRUE(moved == buffer);
}

TEST_P(ImageMemorySizes, GrownBytesAreZero) {
    ImageBytes bytes;
    bytes.reserve(GetParam() + 16);
    bytes.resize(GetParam());
    EXPECT_TRUE(AllZero(bytes.data(), bytes.size()));
}

INSTANTIATE_TEST_SUITE_P(Sizes, ImageMemorySizes,
                         ::testing::Values(std::size_t{1}, std::size_t{4095}, (std::size_t{1} << 20) - 1,
                                           std::size_t{1} << 20, (std::size_t{2} << 20) + 3,
                                           std::size_t{2331} * 3307 * 3));

TEST(ImageMemory, AFullSizeScanIsBlack) {
    const ScanBitmap scan(2331, 3307);
    EXPECT_TRUE(AllZero(scan.Data(), scan.SizeBytes()));
    EXPECT_EQ(scan.Pixel(2330, 3306), MakeColour(0, 0, 0));
}

TEST(BufferedFdWriterGather, PiecesFollowTheBufferInOrderAcrossManyCalls) {
    TempDir dir;
    const std::string path = dir.File("out.bin");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    // More pieces than one gathering call takes, empty ones among them, of changing sizes.
    std::vector<std::string> texts;
    for (int i = 0; i < 2600; ++i) texts.push_back(i % 7 == 0 ? std::string() : std::string(1 + i % 13, char('a' + i % 26)));
    std::vector<struct iovec> pieces;
    std::string expected = "head";
    for (std::string& t : texts) {
        pieces.push_back({t.data(), t.size()});
        expected += t;
    }
    expected += "tail";

    BufferedFdWriter out(fd, 64);
    EXPECT_TRUE(out.Write("head", 4));
    EXPECT_TRUE(out.WriteGather(pieces));
    EXPECT_TRUE(out.Write("tail", 4));
    EXPECT_TRUE(out.Flush());
    ::close(fd);
    EXPECT_EQ(ReadFileText(path), expected);
}

TEST(BufferedFdWriterGather, AFailedWriteIsKeptAndReported) {
    TempDir dir;
    WriteFileText(dir.File("read-only.bin"), "x");
    const int fd = ::open(dir.File("read-only.bin").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    char byte = 'y';
    const struct iovec piece{&byte, 1};
    BufferedFdWriter out(fd);
    EXPECT_FALSE(out.WriteGather({&piece, 1}));
    EXPECT_EQ(out.Error(), EBADF);
    EXPECT_FALSE(out.Write("z", 1));
    ::close(fd);
}

}  // namespace
}  // namespace calvix
