// CalibrationLut: the 6227-byte record the scanner stores and applies - a short header naming
// the scanner, time and program version, then red, green, blue tables for front and rear.
#pragma once

#include "app/Clock.h"
#include "calibration/CorrectionTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace calvix {

// The device format byte for byte. Never instantiated: it fixes the offsets that the record
// uses, and the static_asserts in this header make a misplaced field fail to compile.
#pragma pack(push, 1)
struct LutLayout {
    std::uint8_t formatOne;
    std::uint8_t totalLength[2];   // little-endian
    std::uint8_t tableEntries[2];  // little-endian
    std::uint8_t constantOne;
    std::uint8_t sides;
    char serial[20];
    char timeStamp[20];
    char version[36];
    std::uint8_t frontRed[ChannelTableEntries];
    std::uint8_t frontGreen[ChannelTableEntries];
    std::uint8_t frontBlue[ChannelTableEntries];
    std::uint8_t rearRed[ChannelTableEntries];
    std::uint8_t rearGreen[ChannelTableEntries];
    std::uint8_t rearBlue[ChannelTableEntries];
};
#pragma pack(pop)

static_assert(sizeof(LutLayout) == 6227);
static_assert(offsetof(LutLayout, formatOne) == 0);
static_assert(offsetof(LutLayout, totalLength) == 1);
static_assert(offsetof(LutLayout, tableEntries) == 3);
static_assert(offsetof(LutLayout, constantOne) == 5);
static_assert(offsetof(LutLayout, sides) == 6);
static_assert(offsetof(LutLayout, serial) == 7);
static_assert(offsetof(LutLayout, timeStamp) == 27);
static_assert(offsetof(LutLayout, version) == 47);
static_assert(offsetof(LutLayout, frontRed) == 83);
static_assert(offsetof(LutLayout, frontGreen) == 1107);
static_assert(offsetof(LutLayout, frontBlue) == 2131);
static_assert(offsetof(LutLayout, rearRed) == 3155);
static_assert(offsetof(LutLayout, rearGreen) == 4179);
static_assert(offsetof(LutLayout, rearBlue) == 5203);

enum class LutSide { Front = 0, Rear = 1 };

class CalibrationLutRecord {
public:
    static constexpr std::size_t Size = sizeof(LutLayout);
    using Bytes = std::array<std::uint8_t, Size>;

    // Offset of one side's channel table inside the record.
    static constexpr std::size_t TableOffset(LutSide side, ColourChannel channel) {
        constexpr std::size_t offsets[2][3] = {
            {offsetof(LutLayout, frontRed), offsetof(LutLayout, frontGreen), offsetof(LutLayout, frontBlue)},
            {offsetof(LutLayout, rearRed), offsetof(LutLayout, rearGreen), offsetof(LutLayout, rearBlue)}};
        return offsets[static_cast<int>(side)][static_cast<int>(channel)];
    }

    // Writes bytes 0-6, the serial number (at most 19 characters), the version text (at most
    // 35) and the time stamp, each with its terminator; bytes behind a terminator stay as
    // they are.
    void FillHeader(int sides, std::string_view serial, std::string_view versionText, const CivilTime& utc);

    // Puts one side's red, green and blue tables in place; the other side stays untouched.
    void SetSideTables(LutSide side, const ChannelTables& tables);
    std::span<const std::uint8_t, ChannelTableEntries> Table(LutSide side, ColourChannel channel) const;

    // The whole record as sent to the device and written to a file.
    std::span<const std::uint8_t, Size> Raw() const { return bytes_; }
    // A private copy for an upload that must not see later changes.
    Bytes Copy() const { return bytes_; }

    // Back to all zero, the state at program start.
    void Clear() { bytes_.fill(0); }

private:
    void WriteText(std::size_t offset, std::size_t fieldSize, std::string_view text);

    Bytes bytes_{};
};

// The process-wide record, all zero at program start.
extern CalibrationLutRecord CalibrationLut;

// Fills the header of the process-wide record with the current time of clock, in UTC.
void FillLutHeader(int sides, std::string_view serial, std::string_view versionText, const Clock& clock);

}  // namespace calvix
