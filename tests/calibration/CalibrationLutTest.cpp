// Tests of the LUT record: byte layout, header fields, text cutting and side-wise tables.
#include "calibration/CalibrationLut.h"

#include "FakeClock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace calvix {
namespace {

std::string TextAt(const CalibrationLutRecord& lut, std::size_t offset) {
    return std::string(reinterpret_cast<const char*>(lut.Raw().data() + offset));
}

ChannelTables Patterned(int seed) {
    ChannelTables tables{};
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < ChannelTableEntries; ++i) tables[c][i] = static_cast<std::uint8_t>(seed + 7 * c + i);
    return tables;
}

TEST(CalibrationLut, StartsAllZeroAndHasDeviceSize) {
    CalibrationLutRecord lut;
    EXPECT_EQ(lut.Raw().size(), 6227u);
    for (std::uint8_t b : lut.Raw()) ASSERT_EQ(b, 0);
}

struct TablePlace {
    LutSide side;
    ColourChannel channel;
    std::size_t offset;
};

TEST(CalibrationLut, TablesLieAtTheDeviceOffsets) {
    const TablePlace places[] = {
        {LutSide::Front, ColourChannel::Red, 83},    {LutSide::Front, ColourChannel::Green, 1107},
        {LutSide::Front, ColourChannel::Blue, 2131}, {LutSide::Rear, ColourChannel::Red, 3155},
        {LutSide::Rear, ColourChannel::Green, 4179}, {LutSide::Rear, ColourChannel::Blue, 5203},
    };
    CalibrationLutRecord lut;
    const ChannelTables front = Patterned(1);
    const ChannelTables rear = Patterned(100);
    lut.SetSideTables(LutSide::Front, front);
    lut.SetSideTables(LutSide::Rear, rear);
    for (const TablePlace& place : places) {
        const ChannelTables& source = place.side == LutSide::Front ? front : rear;
        const ChannelTable& expected = source[static_cast<int>(place.channel)];
        EXPECT_EQ(CalibrationLutRecord::TableOffset(place.side, place.channel), place.offset);
        EXPECT_EQ(std::memcmp(lut.Raw().data() + place.offset, expected.data(), expected.size()), 0)
            << "table at " << place.offset;
        EXPECT_EQ(lut.Table(place.side, place.channel).data(), lut.Raw().data() + place.offset);
    }
    // Nothing of the header was touched by the tables.
    for (std::size_t i = 0; i < 83; ++i) ASSERT_EQ(lut.Raw()[i], 0) << i;
}

TEST(CalibrationLut, EvaluatingOneSideAgainLeavesTheOtherAlone) {
    CalibrationLutRecord lut;
    lut.SetSideTables(LutSide::Rear, Patterned(50));
    const CalibrationLutRecord::Bytes before = lut.Copy();
    lut.SetSideTables(LutSide::Front, Patterned(3));
    lut.SetSideTables(LutSide::Front, Patterned(9));
    EXPECT_EQ(std::memcmp(lut.Raw().data() + 3155, before.data() + 3155, 3 * 1024), 0);
    EXPECT_EQ(lut.Table(LutSide::Front, ColourChannel::Red)[0], 9);
}

TEST(CalibrationLut, SimplexHeaderAndUntouchedRearTables) {
    CalibrationLutRecord lut;
    lut.SetSideTables(LutSide::Front, Patterned(5));
    lut.FillHeader(1, "Q71-0042", "v1.1.0 build#7", CivilTime{2026, 3, 4, 5, 6, 7});
    const auto raw = lut.Raw();
    const std::uint8_t fixed[] = {1, 0x53, 0x18, 0x00, 0x04, 1, 1};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(raw[i], fixed[i]) << "byte " << i;
    EXPECT_EQ(TextAt(lut, 7), "Q71-0042");
    EXPECT_EQ(TextAt(lut, 27), "2026-03-04 05:06h");
    EXPECT_EQ(TextAt(lut, 47), "v1.1.0 build#7");
    for (std::size_t i = 3155; i < raw.size(); ++i) ASSERT_EQ(raw[i], 0) << i;
}

TEST(CalibrationLut, SidesAreTwoForDuplexAndOtherwiseOne) {
    const std::pair<int, int> cases[] = {{2, 2}, {1, 1}, {0, 1}, {-3, 1}, {7, 2}};
    for (auto [given, stored] : cases) {
        CalibrationLutRecord lut;
        lut.FillHeader(given, "", "", CivilTime{});
        EXPECT_EQ(lut.Raw()[6], stored) << given;
    }
}

TEST(CalibrationLut, LongTextsAreCutToTheirFields) {
    CalibrationLutRecord lut;
    const std::string serial25 = "ABCDEFGHIJKLMNOPQRSTUVWXY";
    const std::string version40(40, 'v');
    lut.FillHeader(2, serial25, version40, CivilTime{2026, 12, 7, 23, 59, 0});
    EXPECT_EQ(TextAt(lut, 7), serial25.substr(0, 19));
    EXPECT_EQ(lut.Raw()[26], 0);
    EXPECT_EQ(TextAt(lut, 27), "2026-12-07 23:59h");
    EXPECT_EQ(TextAt(lut, 47), version40.substr(0, 35));
    EXPECT_EQ(lut.Raw()[82], 0);
    EXPECT_EQ(lut.Raw()[83], 0) << "the front red table begins right behind the version";
}

TEST(CalibrationLut, BytesBehindATerminatorKeepTheirEarlierContents) {
    CalibrationLutRecord lut;
    lut.FillHeader(2, "ABCDEFGHIJKLMNOPQRSTUVWXY", "v1.10.100 build#1000", CivilTime{2026, 1, 1, 0, 0, 0});
    lut.FillHeader(2, "XY", "v1.1.0 build#1", CivilTime{2026, 1, 1, 0, 0, 0});
    const auto raw = lut.Raw();
    EXPECT_EQ(TextAt(lut, 7), "XY");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(raw.data() + 10), 16), "DEFGHIJKLMNOPQRS");
    EXPECT_EQ(raw[26], 0);
    EXPECT_EQ(TextAt(lut, 47), "v1.1.0 build#1");
    EXPECT_EQ(TextAt(lut, 47 + 15), "#1000");
}

TEST(CalibrationLut, ExtremeTimeStampStaysInsideItsField) {
    CalibrationLutRecord lut;
    lut.FillHeader(1, "S", "V", CivilTime{-2147483647 - 1, -2147483647, 2147483647, 99999, -1, 0});
    EXPECT_EQ(TextAt(lut, 27).size(), 19u);
    EXPECT_EQ(TextAt(lut, 47), "V");
}

TEST(CalibrationLut, FillLutHeaderUsesTheUtcTimeOfTheClock) {
    CalibrationLut.Clear();
    test::FakeClock clock;
    clock.utc = CivilTime{2027, 1, 1, 0, 5, 0};
    FillLutHeader(2, "SN1", "v1.1.0 build#1", clock);
    EXPECT_EQ(TextAt(CalibrationLut, 27), "2027-01-01 00:05h");
    EXPECT_EQ(CalibrationLut.Raw()[6], 2);
    CalibrationLut.Clear();
}

}  // namespace
}  // namespace calvix
