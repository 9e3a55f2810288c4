// Reading the record file: the whole file at once, its size and fixed bytes checked first.
#include "LutRecordFile.h"

#include "InputFile.h"

#include <cstddef>

namespace calvix::verify {

namespace {

std::string FieldText(const std::string& bytes, std::size_t offset, std::size_t size) {
    std::string text;
    for (std::size_t i = offset; i < offset + size && bytes[i] != '\0'; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    return text;
}

unsigned Word(const std::string& bytes, std::size_t offset) {
    return static_cast<unsigned char>(bytes[offset]) | (static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

}  // namespace

bool ReadLutRecordFile(const std::string& path, LutRecordInfo& info, std::string& error) {
    constexpr std::size_t size = CalibrationLutRecord::Size;
    std::string b, reason;
    switch (ReadInputFile(path, size, b, reason)) {
        case ReadResult::Ok:
            break;
        case ReadResult::TooLarge:
            error = "calibration record '" + path + "' is longer than a record's " + std::to_string(size) + " bytes";
            return false;
        case ReadResult::Unreadable:
            error = "cannot read calibration record '" + path + "': " + reason;
            return false;
    }
    if (b.size() != size) {
        error = "calibration record '" + path + "' has " + std::to_string(b.size()) + " bytes, not " +
                std::to_string(size);
        return false;
    }
    const int sides = static_cast<unsigned char>(b[offsetof(LutLayout, sides)]);
    if (b[0] != 1 || Word(b, offsetof(LutLayout, totalLength)) != size ||
        Word(b, offsetof(LutLayout, tableEntries)) != ChannelTableEntries || b[offsetof(LutLayout, constantOne)] != 1 ||
        (sides != 1 && sides != 2)) {
        error = "calibration record '" + path + "' does not have a record's header";
        return false;
    }
    info = LutRecordInfo{};
    info.file = path;
    info.sides = sides;
    info.serial = FieldText(b, offsetof(LutLayout, serial), sizeof(LutLayout::serial));
    info.timeStamp = FieldText(b, offsetof(LutLayout, timeStamp), sizeof(LutLayout::timeStamp));
    info.version = FieldText(b, offsetof(LutLayout, version), sizeof(LutLayout::version));
    for (int side = 0; side < 2; ++side) {
        for (int c = 0; c < 3; ++c) {
            const std::size_t offset =
                CalibrationLutRecord::TableOffset(static_cast<LutSide>(side), static_cast<ColourChannel>(c));
            ChannelTable& table = info.tables[static_cast<std::size_t>(side)][static_cast<std::size_t>(c)];
            for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<std::uint8_t>(b[offset + i]);
        }
    }
    return true;
}

}  // namespace calvix::verify
