// A calibration record given on the command line (--record FILE): the 6227 bytes as uploaded,
// read back for its header (serial, time stamp, program version, sides) and its six tables.
#pragma once

#include "calibration/CalibrationLut.h"

#include <string>

namespace calvix::verify {

struct LutRecordInfo {
    std::string file;
    int sides = 0;
    std::string serial;
    std::string timeStamp;
    std::string version;
    // [side][channel], front then rear, red, green, blue.
    std::array<ChannelTables, 2> tables{};
};

// False with a reason for anything but a readable regular file of exactly 6227 bytes whose
// fixed header bytes are those of a record (format 1, length 6227, 1024 entries, 1, one or two
// sides). Text fields end at their terminator or at the field's end; bytes outside printable
// ASCII show as '?'.
bool ReadLutRecordFile(const std::string& path, LutRecordInfo& info, std::string& error);

}  // namespace calvix::verify
