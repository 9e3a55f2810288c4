// Shortening the reference path for the label: fits the width, keeps the file name whole,
// never cuts a UTF-8 character.
#include "it8ref/PathEllipsis.h"

#include <gtest/gtest.h>

namespace calvix {
namespace {

std::size_t CodePoints(const std::string& text) {
    std::size_t n = 0;
    for (unsigned char c : text) n += (c & 0xC0) != 0x80;
    return n;
}

struct EllipsisCase {
    std::string path;
    std::size_t width;
    std::string expected;
};

class PathEllipsis : public ::testing::TestWithParam<EllipsisCase> {};

TEST_P(PathEllipsis, Shortens) {
    const EllipsisCase& c = GetParam();
    const std::string shown = ShortenPathForLabel(c.path, c.width);
    EXPECT_EQ(shown, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathEllipsis,
    ::testing::Values(EllipsisCase{"/data/R1.txt", 12, "/data/R1.txt"},
                      EllipsisCase{"/home/user/very/long/folder/R1.txt", 25, "/home/user/very.../R1.txt"},
                      EllipsisCase{"C:\\IT8\\references\\batch7\\R1.txt", 20, "C:\\IT8\\ref...\\R1.txt"},
                      EllipsisCase{"/a/b/an-extremely-long-reference-name.txt", 20,
                                   ".../an-extremely-long-reference-name.txt"},
                      EllipsisCase{"no-folder-but-a-long-name.txt", 10, "no-folder-but-a-long-name.txt"},
                      EllipsisCase{"/Dat\xC3\xA4ien/\xC3\xBC\xC3\xBC\xC3\xBC/R1.txt", 15,
                                   "/Dat\xC3\xA4.../R1.txt"}));

TEST(PathEllipsisWidth, LongPathsFitAndEndInTheFileName) {
    const std::string path = "/srv/scanner/calibration/targets/2026/december/batch-R1/R1.txt";
    for (std::size_t width = 12; width < path.size(); ++width) {
        const std::string shown = ShortenPathForLabel(path, width);
        EXPECT_EQ(CodePoints(shown), width);
        EXPECT_EQ(shown.substr(shown.size() - 7), "/R1.txt");
        EXPECT_NE(shown.find("..."), std::string::npos);
    }
}

}  // namespace
}  // namespace calvix
