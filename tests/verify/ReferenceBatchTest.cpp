// The certificate's second reading of the reference file: batch keywords, and the colour
// patches' L*a*b* from the file where it gives them, else from its XYZ under D50.
#include "ReferenceBatch.h"

#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <regex>

namespace calvix::verify {
namespace {

const std::string kR1 = std::string(CALVIX_TEST_DATA_DIR) + "/it8/R1.txt";

TEST(ReferenceBatch, KeywordsAndTheFilesOwnLab) {
    test::TempDir dir;
    std::string text = test::ReadFileText(kR1);
    // A1 gets L*a*b* far from its XYZ, B2 a LAB value that is no number, the header a long value.
    text = std::regex_replace(text, std::regex("\nA1\t([^\t]+)\t([^\t]+)\t([^\t]+)\t[^\n]*"),
                              "\nA1\t$1\t$2\t$3\t55.50\t-12.25\t7.00");
    text = std::regex_replace(text, std::regex("\nB2\t([^\t]+)\t([^\t]+)\t([^\t]+)\t[^\n]*"),
                              "\nB2\t$1\t$2\t$3\t30.00\tx\t19.28");
    text = std::regex_replace(text, std::regex("\nMATERIAL[^\n]*"), "\nMATERIAL\t\"" + std::string(300, 'm') + "\"");
    test::WriteFileText(dir.File("ref.txt"), text);
    TIT8Ref reference;
    ASSERT_EQ(reference.LoadFile(dir.File("ref.txt")), 0);
    ReferenceBatch batch;
    std::string error;
    ASSERT_TRUE(ReadReferenceBatch(dir.File("ref.txt"), reference, batch, error)) << error;
    EXPECT_EQ(batch.Keyword("SERIAL"), "R1");
    EXPECT_EQ(batch.Keyword("DESCRIPTOR"), "Synthetic IT8.7/2 reference, batch R1");
    EXPECT_EQ(batch.Keyword("MATERIAL").size(), MaxKeywordValue);
    EXPECT_EQ(batch.labFromFile, 263);
    EXPECT_DOUBLE_EQ(batch.lab[0][0].L, 55.5);
    EXPECT_DOUBLE_EQ(batch.lab[0][0].a, -12.25);
    EXPECT_DOUBLE_EQ(batch.lab[11][21].b, -6.5);
    // B2 from XYZ, close to the file's (unreadable) values.
    EXPECT_NEAR(batch.lab[1][1].L, XyzToLab({8.36, 6.24, 2.23}, WhiteD50).L, 1e-4);
    EXPECT_NEAR(batch.lab[1][1].a, 22.98, 0.5);
    EXPECT_EQ(PatchName(11, 21), "L22");
    EXPECT_FALSE(ReadReferenceBatch(dir.File("missing.txt"), reference, batch, error));
}

}  // namespace
}  // namespace calvix::verify
