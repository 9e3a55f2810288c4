// What a reference-file read found besides its 0 or -1: why a read failed, and what a
// calibration must know of a file read to its end (which grey patches it gave, and whether
// they came from the file's own columns), with the text that tells a person what is wrong.
#pragma once

#include <cstdint>
#include <string>

namespace calvix {

enum class It8Fault : std::uint8_t {
    None,
    // The read itself failed (LoadFile gives -1).
    CannotOpen,     // detail: the system's reason
    ReadError,      // detail: the system's reason
    BadFieldCount,  // detail: the word after NUMBER_OF_FIELDS
    // The file was read to its end but gives no complete grey wedge of its own.
    CarriageReturnLineEnds,
    SampleIdNotFirst,  // detail: SAMPLE_ID's column number
    NoDataBlock,
    NoFieldCount,
    NoDataFormat,
    XyzColumnNotNamed,  // detail: the names missing from the data format
    DecimalComma,
    GreysIncomplete,    // see greysStored / greysInvalid / greysNonFinite
};

// Bit n stands for grey patch GSn.
using GreyPatchSet = std::uint32_t;
inline constexpr GreyPatchSet AllGreyPatches = (GreyPatchSet{1} << 24) - 1;

struct It8ReadReport {
    It8Fault fault = It8Fault::None;
    std::string detail;

    // Grey lines of this file that were stored, and those that named a grey patch but could
    // not be stored (too few numbers, or a value that is not a finite number).
    GreyPatchSet greysStored = 0;
    GreyPatchSet greysInvalid = 0;
    GreyPatchSet greysNonFinite = 0;
    // A grey line was read before this file gave a field count / a data format, or while its
    // data format lacked XYZ_X, XYZ_Y or XYZ_Z: the values then depend on an earlier file.
    bool greyWithoutFieldCount = false;
    bool greyWithoutDataFormat = false;
    std::uint8_t xyzNotNamed = 0;  // bit 0 XYZ_X, bit 1 XYZ_Y, bit 2 XYZ_Z
    // SAMPLE_ID's position in this file's last data format, -1 when not named; the reader
    // takes every line's first field as its id, so any other position is refused.
    std::int32_t sampleIdColumn = -1;
    // What explains missing greys when the file's structure looks right to the reader.
    bool dataBlockSeen = false;
    bool bareCarriageReturn = false;  // a CR that ends no line (old Macintosh line ends)
    bool decimalComma = false;        // a grey value like "19,8"
};

// The fault that keeps a file read to its end from serving a calibration, None when all 24
// grey patches came from it, each with three finite numbers from columns the file named.
It8Fault CalibrationFault(const It8ReadReport& report);

// One sentence on what is wrong, to follow "IT8 reference file '<path>' ".
std::string DescribeIt8Fault(const It8ReadReport& report);

// "GS5, GS12-GS23": the patches of a set in order, neighbours joined into runs.
std::string GreyPatchNames(GreyPatchSet set);

}  // namespace calvix
