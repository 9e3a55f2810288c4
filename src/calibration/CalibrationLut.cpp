// The calibration LUT record: header filling and side-wise table placement on the raw bytes
// that go to the scanner unchanged.
#include "calibration/CalibrationLut.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace calvix {

CalibrationLutRecord CalibrationLut;

namespace {

void PutLittleEndian16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace

void CalibrationLutRecord::WriteText(std::size_t offset, std::size_t fieldSize, std::string_view text) {
    // A text with an embedded zero ends there, as it would for the device reading it.
    const std::size_t length = std::min({text.size(), text.find('\0'), fieldSize - 1});
    std::memcpy(bytes_.data() + offset, text.data(), length);
    bytes_[offset + length] = 0;
}

void CalibrationLutRecord::FillHeader(int sides, std::string_view serial, std::string_view versionText,
                                      const CivilTime& utc) {
    bytes_[offsetof(LutLayout, formatOne)] = 1;
    PutLittleEndian16(bytes_.data() + offsetof(LutLayout, totalLength), static_cast<std::uint16_t>(Size));
    PutLittleEndian16(bytes_.data() + offsetof(LutLayout, tableEntries),
                      static_cast<std::uint16_t>(ChannelTableEntries));
    bytes_[offsetof(LutLayout, constantOne)] = 1;
    // The device knows simplex (1) and duplex (2) only; anything else would make it read a
    // rear side that is not there or ignore one that is.
    bytes_[offsetof(LutLayout, sides)] = static_cast<std::uint8_t>(sides >= 2 ? 2 : 1);

    WriteText(offsetof(LutLayout, serial), sizeof(LutLayout::serial), serial);
    WriteText(offsetof(LutLayout, version), sizeof(LutLayout::version), versionText);

    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%d-%02d-%02d %02d:%02dh", utc.year, utc.month, utc.day, utc.hour, utc.minute);
    WriteText(offsetof(LutLayout, timeStamp), sizeof(LutLayout::timeStamp), stamp);
}

void CalibrationLutRecord::SetSideTables(LutSide side, const ChannelTables& tables) {
    for (ColourChannel channel : AllChannels) {
        const ChannelTable& table = tables[static_cast<int>(channel)];
        std::copy(table.begin(), table.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(TableOffset(side, channel)));
    }
}

std::span<const std::uint8_t, ChannelTableEntries> CalibrationLutRecord::Table(LutSide side,
                                                                               ColourChannel channel) const {
    return std::span<const std::uint8_t, ChannelTableEntries>(bytes_.data() + TableOffset(side, channel),
                                                              ChannelTableEntries);
}

void FillLutHeader(int sides, std::string_view serial, std::string_view versionText, const Clock& clock) {
    CalibrationLut.FillHeader(sides, serial, versionText, clock.UtcNow());
}

}  // namespace calvix
