// The reference-file reader on small hand-made files: keyword states, sample ids, column
// positions, line ends, and input beyond the format's limits (never stored, never stalls).
#include "it8ref/It8Ref.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace calvix {
namespace {

using test::TempDir;

const std::string kHeader4 =
    "NUMBER_OF_FIELDS 4\nBEGIN_DATA_FORMAT\nSAMPLE_ID XYZ_X XYZ_Y XYZ_Z\nEND_DATA_FORMAT\n";

class It8ParserTest : public ::testing::Test {
protected:
    std::int32_t Load(const std::string& content) {
        test::WriteFileText(dir.File("ref.txt"), content);
        return record.LoadFile(dir.File("ref.txt"));
    }
    bool NothingStored() const {
        for (const auto& row : record.patchXYZ)
            for (const auto& patch : row)
                for (float v : patch)
                    if (v != 0.0f) return false;
        for (const auto& grey : record.greyXYZ)
            for (float v : grey)
                if (v != 0.0f) return false;
        return true;
    }

    TempDir dir;
    TIT8Ref record;
};

struct StoreCase {
    const char* name;
    std::string content;
    std::int32_t result;
    std::function<void(const TIT8Ref&)> check;
};

class It8StoreCases : public It8ParserTest, public ::testing::WithParamInterface<StoreCase> {};

TEST_P(It8StoreCases, LoadsAndStores) {
    const StoreCase& c = GetParam();
    EXPECT_EQ(Load(c.content), c.result);
    c.check(record);
}

void Xyz(const float* xyz, float x, float y, float z) {
    EXPECT_FLOAT_EQ(xyz[0], x);
    EXPECT_FLOAT_EQ(xyz[1], y);
    EXPECT_FLOAT_EQ(xyz[2], z);
}

INSTANTIATE_TEST_SUITE_P(
    Ids, It8StoreCases,
    ::testing::Values(
        StoreCase{"GreyFive", kHeader4 + "BEGIN_DATA\nGS5 19.0 19.8 16.3\nEND_DATA\n", 0,
                  [](const TIT8Ref& r) {
                      Xyz(r.greyXYZ[5], 19.0f, 19.8f, 16.3f);
                      EXPECT_EQ(r.currentRow, -1);
                      EXPECT_EQ(r.currentColumn, 5);
                  }},
        StoreCase{"FirstAndLastColourPatch",
                  kHeader4 + "BEGIN_DATA\nA1 1 2 3\nL22 4 5 6\nEND_DATA\n", 0,
                  [](const TIT8Ref& r) {
                      Xyz(r.patchXYZ[0][0], 1, 2, 3);
                      Xyz(r.patchXYZ[11][21], 4, 5, 6);
                  }},
        StoreCase{"ColumnsInAnyOrder",
                  "NUMBER_OF_FIELDS 4 BEGIN_DATA_FORMAT SAMPLE_ID XYZ_Z XYZ_Y XYZ_X END_DATA_FORMAT\n"
                  "BEGIN_DATA\nB3 1 2 3\nEND_DATA\n",
                  0, [](const TIT8Ref& r) { Xyz(r.patchXYZ[1][2], 3, 2, 1); }},
        StoreCase{"SampleIdNumberIsValueZero",
                  "NUMBER_OF_FIELDS 3 BEGIN_DATA_FORMAT SAMPLE_ID XYZ_Y XYZ_Z END_DATA_FORMAT\n"
                  "BEGIN_DATA\nGS5 19.8 16.3\nC7 1 2\nEND_DATA\n",
                  0,
                  [](const TIT8Ref& r) {
                      Xyz(r.greyXYZ[5], 5.0f, 19.8f, 16.3f);
                      Xyz(r.patchXYZ[2][6], 7.0f, 1, 2);  // C7: value 0 reads as 7
                  }},
        StoreCase{"CrLfReadsLikeLf",
                  "NUMBER_OF_FIELDS 4\r\nBEGIN_DATA_FORMAT\r\nSAMPLE_ID XYZ_X XYZ_Y XYZ_Z\r\n"
                  "END_DATA_FORMAT\r\nBEGIN_DATA\r\nGS1 1 2 3\r\nEND_DATA\r\nNUMBER_OF_FIELDS 0\r\n",
                  -1,  // END_DATA with CR LF ends the block, so the bad count is seen
                  [](const TIT8Ref&) {}},
        StoreCase{"LastLineWithoutLineEnd", kHeader4 + "BEGIN_DATA\nGS23 0.5 0.6 0.7", 0,
                  [](const TIT8Ref& r) { Xyz(r.greyXYZ[23], 0.5f, 0.6f, 0.7f); }},
        StoreCase{"LastLineWithoutLineEndCrOnly", kHeader4 + "BEGIN_DATA\r\nGS23 0.5 0.6 0.7\r", 0,
                  [](const TIT8Ref& r) { Xyz(r.greyXYZ[23], 0.5f, 0.6f, 0.7f); }},
        StoreCase{"EndDataWithTrailingBlankIsData",
                  kHeader4 + "BEGIN_DATA\nEND_DATA \nNUMBER_OF_FIELDS 0\nEND_DATA\t\nGS2 7 8 9\n", 0,
                  [](const TIT8Ref& r) { Xyz(r.greyXYZ[2], 7, 8, 9); }},
        StoreCase{"FieldCountInForceAtEachLine",
                  kHeader4 + "BEGIN_DATA\nGS1 1 2 3\nEND_DATA\nNUMBER_OF_FIELDS 3\n"
                             "BEGIN_DATA\nGS2 4 5 6\nEND_DATA\n",
                  0,
                  [](const TIT8Ref& r) {
                      Xyz(r.greyXYZ[1], 1, 2, 3);
                      Xyz(r.greyXYZ[2], 0, 0, 0);  // only 3 values read, Z at position 3
                      EXPECT_EQ(r.fieldCount, 3);
                  }},
        StoreCase{"KeywordInsideQuotedHeaderText",
                  "COMMENT \"see NUMBER_OF_FIELDS 4 below\"\nBEGIN_DATA_FORMAT SAMPLE_ID XYZ_X XYZ_Y "
                  "XYZ_Z END_DATA_FORMAT\nBEGIN_DATA\nA2 1 2 3\nEND_DATA\n",
                  0,
                  [](const TIT8Ref& r) {
                      EXPECT_EQ(r.fieldCount, 4);
                      Xyz(r.patchXYZ[0][1], 1, 2, 3);
                  }},
        StoreCase{"NoDataBlockStoresNothing", kHeader4 + "NUMBER_OF_SETS 2\n", 0,
                  [](const TIT8Ref& r) {
                      EXPECT_EQ(r.fieldCount, 4);
                      EXPECT_EQ(r.zColumn, 3);
                      EXPECT_FLOAT_EQ(r.greyXYZ[0][0], 0.0f);
                  }},
        StoreCase{"EndsRightAfterFieldCountKeyword", "ORIGINATOR x NUMBER_OF_FIELDS", 0,
                  [](const TIT8Ref&) {}},
        StoreCase{"EndsRightAfterFieldCountKeywordAndLineEnd", "NUMBER_OF_FIELDS\r\n", 0,
                  [](const TIT8Ref&) {}},
        StoreCase{"EndsInsideDataFormat", "NUMBER_OF_FIELDS 4 BEGIN_DATA_FORMAT SAMPLE_ID XYZ_X", 0,
                  [](const TIT8Ref& r) { EXPECT_EQ(r.xColumn, 1); }},
        StoreCase{"MoreThanTwentyFieldsKeepsTheFirstTwenty",
                  "NUMBER_OF_FIELDS 25 BEGIN_DATA_FORMAT SAMPLE_ID XYZ_X XYZ_Y XYZ_Z END_DATA_FORMAT\n"
                  "BEGIN_DATA\nGS3 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24\n"
                  "END_DATA\n",
                  0, [](const TIT8Ref& r) { Xyz(r.greyXYZ[3], 1, 2, 3); }},
        StoreCase{"ValueBeyondTwentyIsNotStored",
                  "NUMBER_OF_FIELDS 23 BEGIN_DATA_FORMAT SAMPLE_ID a b c d e f g h i j k l m n o p q r "
                  "s XYZ_X XYZ_Y XYZ_Z END_DATA_FORMAT\nBEGIN_DATA\n"
                  "GS3 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22\nEND_DATA\n",
                  0, [](const TIT8Ref& r) { Xyz(r.greyXYZ[3], 0, 0, 0); }},
        StoreCase{"PositionAtFieldCountIsNotRead",
                  "NUMBER_OF_FIELDS 3 BEGIN_DATA_FORMAT SAMPLE_ID XYZ_X XYZ_Y XYZ_Z END_DATA_FORMAT\n"
                  "BEGIN_DATA\nGS4 1 2 3\nEND_DATA\n",
                  0, [](const TIT8Ref& r) { Xyz(r.greyXYZ[4], 0, 0, 0); }},
        StoreCase{"ShortOrNonNumericLinesStoreNothing",
                  kHeader4 + "BEGIN_DATA\nGS1 1 2\nGS2 1 x 3\nGS3 1 2 nan\nGS4 1 2 1e99\nGS5 1,5 2 3\n"
                             "GS6 +1 .5 3.\nEND_DATA\n",
                  0,
                  [](const TIT8Ref& r) {
                      for (int i = 1; i <= 5; ++i) Xyz(r.greyXYZ[i], 0, 0, 0);
                      Xyz(r.greyXYZ[6], 1, 0.5f, 3);
                  }}),
    [](const ::testing::TestParamInfo<StoreCase>& info) { return info.param.name; });

// Sample ids that name no patch of the tables: the line is skipped, the next one still read.
class It8ForeignIds : public It8ParserTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(It8ForeignIds, AreSkipped) {
    const std::string line = GetParam();
    EXPECT_EQ(Load(kHeader4 + "BEGIN_DATA\n" + line + "\nK9 4 5 6\nEND_DATA\n"), 0);
    float k9[3] = {record.patchXYZ[10][8][0], record.patchXYZ[10][8][1], record.patchXYZ[10][8][2]};
    record.patchXYZ[10][8][0] = record.patchXYZ[10][8][1] = record.patchXYZ[10][8][2] = 0.0f;
    EXPECT_TRUE(NothingStored()) << line;
    Xyz(k9, 4, 5, 6);
}

INSTANTIATE_TEST_SUITE_P(Ids, It8ForeignIds,
                         ::testing::Values("M1 1 2 3", "A0 1 2 3", "A23 1 2 3", "L99999999999 1 2 3",
                                           "GS24 1 2 3", "GS-1 1 2 3", "a1 1 2 3",
                                           " A1 1 2 3", "AB1 1 2 3", "Dmin 1 2 3", "Dmax 1 2 3",
                                           "   ", "\t", "GS99999999999999999999 1 2 3", "1 2 3 4"));

TEST_F(It8ParserTest, ParseSampleIdRewritesTheIdInPlace) {
    std::string grey = "GS12 1 2 3";
    EXPECT_TRUE(record.ParseSampleId(grey));
    EXPECT_EQ(grey, "  12 1 2 3");
    std::string colour = "H10 1 2 3";
    EXPECT_TRUE(record.ParseSampleId(colour));
    EXPECT_EQ(colour, " 10 1 2 3");
    EXPECT_EQ(record.currentRow, 7);
    EXPECT_EQ(record.currentColumn, 9);
    std::string foreign = "Z1 1 2 3";
    EXPECT_FALSE(record.ParseSampleId(foreign));
    EXPECT_FALSE(record.StoreDataLine(foreign));
}

TEST_F(It8ParserTest, StoreDataLineRefusesPatchesOutsideTheTables) {
    record.fieldCount = 4;
    record.xColumn = 1, record.yColumn = 2, record.zColumn = 3;
    for (auto [row, column] : {std::pair{-1, 24}, {-1, -1}, {12, 0}, {0, 22}, {-2, 3}}) {
        record.currentRow = row;
        record.currentColumn = column;
        EXPECT_FALSE(record.StoreDataLine("1 2 3 4"));
    }
    EXPECT_TRUE(NothingStored());
}

struct RejectCase {
    const char* name;
    std::string content;
};

class It8Rejected : public It8ParserTest, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(It8Rejected, LeavesTheRecordAsItWas) {
    ASSERT_EQ(Load(kHeader4 + "BEGIN_DATA\nGS0 80 83 68\nEND_DATA\n"), 0);
    EXPECT_EQ(Load(GetParam().content), -1);
    Xyz(record.greyXYZ[0], 80, 83, 68);
    Xyz(record.greyXYZ[1], 0, 0, 0);
    EXPECT_EQ(record.fieldCount, 4);
    EXPECT_EQ(record.xColumn, 1);
}

const std::string kLongWord(300, 'W');

INSTANTIATE_TEST_SUITE_P(
    Files, It8Rejected,
    ::testing::Values(
        RejectCase{"ZeroInTheMiddle", "BEGIN_DATA_FORMAT SAMPLE_ID XYZ_Y XYZ_X XYZ_Z END_DATA_FORMAT "
                                      "BEGIN_DATA\nGS1 1 2 3\nEND_DATA\nNUMBER_OF_FIELDS 0\nX\n"},
        RejectCase{"ZeroAtTheEnd", "NUMBER_OF_FIELDS 0"},
        RejectCase{"Negative", "NUMBER_OF_FIELDS -3\n"},
        RejectCase{"NotANumber", "NUMBER_OF_FIELDS seven\n"},
        RejectCase{"TrailingLetters", "NUMBER_OF_FIELDS 4x\n"},
        RejectCase{"BeyondInt32", "NUMBER_OF_FIELDS 99999999999\n"},
        RejectCase{"OverlongWord", "NUMBER_OF_FIELDS 4" + kLongWord + "\n"}),
    [](const ::testing::TestParamInfo<RejectCase>& info) { return info.param.name; });

TEST_F(It8ParserTest, MissingOrUnreadableFileFails) {
    EXPECT_EQ(record.LoadFile(dir.File("absent.txt")), -1);
    EXPECT_EQ(record.LoadFile(dir.Path()), -1);
    EXPECT_TRUE(NothingStored());
}

TEST_F(It8ParserTest, OverlongLinesAndWordsAreSkippedWhole) {
    const std::string longLine = "GS7 1 2 3 " + std::string(300, '9');
    const std::string content = kLongWord + " NUMBER_OF_FIELDS 4 BEGIN_DATA_FORMAT " + kLongWord +
                                " XYZ_X XYZ_Y XYZ_Z END_DATA_FORMAT\nBEGIN_DATA\n" + longLine +
                                "\nGS8 1 2 3\n" + std::string(100000, 'x') + "\nEND_DATA\n";
    EXPECT_EQ(Load(content), 0);
    Xyz(record.greyXYZ[7], 0, 0, 0);
    Xyz(record.greyXYZ[8], 1, 2, 3);
}

TEST_F(It8ParserTest, LineOfExactlyTheLimitIsRead) {
    std::string line = "GS9 1 2 3";
    line += std::string(It8MaxLineLength - line.size(), ' ');
    EXPECT_EQ(Load(kHeader4 + "BEGIN_DATA\n" + line + "\r\nEND_DATA\n"), 0);
    Xyz(record.greyXYZ[9], 1, 2, 3);
}

TEST_F(It8ParserTest, SecondLoadKeepsWhatItDoesNotName) {
    ASSERT_EQ(Load(kHeader4 + "BEGIN_DATA\nGS0 80 83 68\nA1 1 2 3\nEND_DATA\n"), 0);
    ASSERT_EQ(Load("NUMBER_OF_FIELDS 4 BEGIN_DATA_FORMAT SAMPLE_ID XYZ_Y XYZ_Z LAB_L END_DATA_FORMAT\n"
                   "BEGIN_DATA\nGS0 50 40 90\nEND_DATA\n"),
              0);
    // No XYZ_X in the second file: X keeps position 1, which now holds XYZ_Y.
    Xyz(record.greyXYZ[0], 50, 50, 40);
    Xyz(record.patchXYZ[0][0], 1, 2, 3);
}

}  // namespace
}  // namespace calvix
