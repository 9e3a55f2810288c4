// TIT8Ref: the process-wide reference record of an IT8 colour target — the XYZ values of its
// 264 colour patches and 24 grey patches as read from a CGATS reference file, plus the two
// options (gamma, chromatic adaptation) that turn the greys into reference RGB values.
#pragma once

#include "it8ref/It8ReadReport.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace calvix {

inline constexpr int It8PatchRows = 12;        // letters A to L
inline constexpr int It8PatchColumns = 22;     // numbers 1 to 22
inline constexpr int It8GreyPatches = 24;      // GS0 to GS23
inline constexpr int It8MaxValuesPerLine = 20;
inline constexpr std::size_t It8MaxLineLength = 254;
inline constexpr std::size_t It8MaxWordLength = 255;

class TIT8Ref {
public:
    // Zero fields, gamma 1.0, and the default reference greys put into force.
    TIT8Ref();
    TIT8Ref(const TIT8Ref&) = delete;
    TIT8Ref& operator=(const TIT8Ref&) = delete;

    // 0 when the file was read to its end; -1 when it cannot be opened or read, is not a
    // regular file, or when NUMBER_OF_FIELDS is followed by something other than a positive
    // integer. After -1 the record holds what it held before the call. The report, when
    // given, says why a read failed and what the file gave.
    std::int32_t LoadFile(const std::string& path, It8ReadReport* report = nullptr);

    // Loading a reference for a calibration: as LoadFile, but a file that does not give all
    // 24 grey patches itself, each with three finite numbers from columns it names, is
    // refused as well (-1, record unchanged, report.fault says why). A missing patch would
    // otherwise keep an earlier file's value or zero and bend the correction tables.
    std::int32_t LoadCalibrationReference(const std::string& path, It8ReadReport& report);

    // Rewrites the line's sample id in place so that its first value reads as the patch
    // number, and sets currentRow/currentColumn. False when the id names no patch of the
    // tables; both working fields are then -1.
    bool ParseSampleId(std::string& line);
    // Stores X, Y, Z of the line into the patch chosen by ParseSampleId. False (nothing
    // stored) when that patch is outside the tables or a needed value was not read.
    bool StoreDataLine(const std::string& line);

    std::int32_t SetGamma(float value);
    std::int32_t SetChromaticAdaptation(bool flag);
    std::int32_t UpdateReferenceGrey();

    std::int32_t fieldCount = 0;
    std::int32_t sampleIdColumn = 0;
    std::int32_t xColumn = 0;
    std::int32_t yColumn = 0;
    std::int32_t zColumn = 0;
    float patchXYZ[It8PatchRows][It8PatchColumns][3] = {};
    float greyXYZ[It8GreyPatches][3] = {};
    std::int32_t currentColumn = 0;
    std::int32_t currentRow = 0;
    double gamma = 1.0;
    bool chromaticAdaptation = false;

private:
    enum class ValueProblem : std::uint8_t { None, NoPatch, TooFewValues, NonFinite, DecimalComma };

    std::int32_t ReadOpenFile(std::FILE* file, It8ReadReport& report);
    ValueProblem StoreValues(const std::string& line);
    static void NoteGreyLine(It8ReadReport& report, std::int32_t grey, ValueProblem problem);
};

// The one record of the process, constructed during static initialisation.
TIT8Ref& It8Reference();

}  // namespace calvix
