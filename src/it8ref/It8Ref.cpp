// Reading IT8 reference files into TIT8Ref: the keyword state machine (header, field count,
// data format, data), the sample-id decoding and the storing of one patch's XYZ values.
#include "it8ref/It8Ref.h"

#include "app/RegularFile.h"
#include "it8ref/It8TextReader.h"
#include "it8ref/ReferenceGrey.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <system_error>

namespace calvix {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Reads a decimal integer at the start of text (leading blanks skipped), as the C library's
// strtol would, but independent of the process locale. False when no digits come first.
bool LeadingInteger(const std::string& text, long& value) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && IsBlank(*p)) ++p;
    if (p < end && *p == '+') ++p;
    const auto [next, error] = std::from_chars(p, end, value);
    return error == std::errc() && next != p;
}

// The whole word must be a decimal integer within int32; "4x" or "1e3" is not a number.
bool WholeWordInteger(const std::string& word, std::int32_t& value) {
    const char* p = word.data();
    const char* end = p + word.size();
    if (p < end && *p == '+') ++p;
    std::int32_t parsed = 0;
    const auto [next, error] = std::from_chars(p, end, parsed);
    if (error != std::errc() || next != end || next == p) return false;
    value = parsed;
    return true;
}

enum class FieldParse { Number, NotANumber, NonFinite, DecimalComma };

// One white-space separated field as a finite float. The decimal point is "." whatever the
// locale (the GUI toolkit sets the user's locale, which would make strtof expect a comma).
// A field that is no such number says why, for the report.
FieldParse FieldAsFloat(const char* begin, const char* end, float& value) {
    if (begin < end && *begin == '+') ++begin;
    float parsed = 0.0f;
    const auto [next, error] = std::from_chars(begin, end, parsed);
    if (error == std::errc::result_out_of_range) return FieldParse::NonFinite;
    if (error != std::errc() || next != end || next == begin) {
        return std::find(begin, end, ',') != end ? FieldParse::DecimalComma : FieldParse::NotANumber;
    }
    if (!std::isfinite(parsed)) return FieldParse::NonFinite;
    value = parsed;
    return FieldParse::Number;
}

// The word after NUMBER_OF_FIELDS as it appears in a message: a hostile file's word is cut.
std::string WordForMessage(const std::string& word, bool overlong) {
    constexpr std::size_t Shown = 40;
    if (word.size() <= Shown && !overlong) return word;
    return word.substr(0, Shown) + "...";
}

enum class ReadState { Header, FieldCount, DataFormat, Data };

// What a load may change in the record, kept to undo a rejected file.
struct RecordSnapshot {
    explicit RecordSnapshot(const TIT8Ref& record)
        : fieldCount(record.fieldCount), sampleIdColumn(record.sampleIdColumn),
          xColumn(record.xColumn), yColumn(record.yColumn), zColumn(record.zColumn),
          currentColumn(record.currentColumn), currentRow(record.currentRow) {
        std::memcpy(patchXYZ, record.patchXYZ, sizeof patchXYZ);
        std::memcpy(greyXYZ, record.greyXYZ, sizeof greyXYZ);
    }
    void Restore(TIT8Ref& record) const {
        record.fieldCount = fieldCount;
        record.sampleIdColumn = sampleIdColumn;
        record.xColumn = xColumn;
        record.yColumn = yColumn;
        record.zColumn = zColumn;
        record.currentColumn = currentColumn;
        record.currentRow = currentRow;
        std::memcpy(record.patchXYZ, patchXYZ, sizeof patchXYZ);
        std::memcpy(record.greyXYZ, greyXYZ, sizeof greyXYZ);
    }

    std::int32_t fieldCount, sampleIdColumn, xColumn, yColumn, zColumn, currentColumn, currentRow;
    float patchXYZ[It8PatchRows][It8PatchColumns][3];
    float greyXYZ[It8GreyPatches][3];
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

TIT8Ref::TIT8Ref() { ResetReferenceGrey(); }

TIT8Ref& It8Reference() {
    static TIT8Ref record;
    return record;
}

namespace {
// Brings the record (and with it the default greys) into being during static initialisation,
// as the rest of the program expects, rather than at its first use.
[[maybe_unused]] TIT8Ref& constructedAtStart = It8Reference();
}  // namespace

std::int32_t TIT8Ref::LoadFile(const std::string& path, It8ReadReport* report) {
    It8ReadReport local;
    It8ReadReport& found = report != nullptr ? *report : local;
    found = It8ReadReport{};
    std::string reason;
    // Only a regular file: a FIFO would block the open, a device such as /dev/zero never ends.
    std::unique_ptr<std::FILE, FileCloser> file(OpenRegularFile(path, reason));
    if (!file) {
        found.fault = It8Fault::CannotOpen;
        found.detail = reason;
        return -1;
    }
    // A rejected file must not leave half of itself in the record: the reference in force
    // is recomputed from the record on the next option click, and would silently mix two
    // target batches. So a failed read puts the record back as it was.
    const RecordSnapshot before(*this);
    const std::int32_t result = ReadOpenFile(file.get(), found);
    if (result < 0) before.Restore(*this);
    return result;
}

std::int32_t TIT8Ref::LoadCalibrationReference(const std::string& path, It8ReadReport& report) {
    const RecordSnapshot before(*this);
    if (LoadFile(path, &report) < 0) return -1;
    report.fault = CalibrationFault(report);
    if (report.fault == It8Fault::None) return 0;
    before.Restore(*this);
    return -1;
}

std::int32_t TIT8Ref::ReadOpenFile(std::FILE* file, It8ReadReport& report) {
    It8TextReader reader(file);

    ReadState state = ReadState::Header;
    std::int32_t position = 0;
    std::string text;
    bool overlong = false;
    // What this file itself has given so far; the record may still hold an earlier file's.
    bool fileFieldCount = false;
    bool fileDataFormat = false;
    std::uint8_t formatNames = 0;  // bit 0 XYZ_X, bit 1 XYZ_Y, bit 2 XYZ_Z

    for (;;) {
        switch (state) {
        case ReadState::Header:
            // An over-long word cannot be a keyword; it is skipped like any other word.
            if (reader.ReadWord(text, overlong, It8MaxWordLength) && !overlong) {
                if (text == "NUMBER_OF_FIELDS") {
                    state = ReadState::FieldCount;
                } else if (text == "BEGIN_DATA_FORMAT") {
                    position = 0;
                    fileDataFormat = true;
                    formatNames = 0;
                    report.sampleIdColumn = -1;
                    state = ReadState::DataFormat;
                } else if (text == "BEGIN_DATA") {
                    report.dataBlockSeen = true;
                    state = ReadState::Data;
                }
            }
            break;
        case ReadState::FieldCount:
            fieldCount = -1;
            // No word left: the file ends right after the keyword, which is not a failure.
            if (reader.ReadWord(text, overlong, It8MaxWordLength)) {
                if (overlong || !WholeWordInteger(text, fieldCount) || fieldCount < 1) {
                    report.fault = It8Fault::BadFieldCount;
                    report.detail = WordForMessage(text, overlong);
                    return -1;
                }
                fileFieldCount = true;
            }
            state = ReadState::Header;
            break;
        case ReadState::DataFormat:
            if (reader.ReadWord(text, overlong, It8MaxWordLength)) {
                if (!overlong) {
                    if (text == "SAMPLE_ID") {
                        sampleIdColumn = position;
                        report.sampleIdColumn = position;
                    } else if (text == "XYZ_X") {
                        xColumn = position;
                        formatNames |= 1u;
                    } else if (text == "XYZ_Y") {
                        yColumn = position;
                        formatNames |= 2u;
                    } else if (text == "XYZ_Z") {
                        zColumn = position;
                        formatNames |= 4u;
                    } else if (text == "END_DATA_FORMAT") {
                        state = ReadState::Header;
                    }
                }
                // Saturates so that a block without its end marker cannot overflow the count;
                // such positions are beyond every data line and are never read.
                if (position < std::numeric_limits<std::int32_t>::max()) ++position;
            }
            break;
        case ReadState::Data:
            if (reader.ReadLine(text, overlong, It8MaxLineLength)) {
                // An over-long line is outside the format: it is skipped whole rather than
                // cut, since a cut could fall inside a number and store a wrong value.
                if (overlong) break;
                if (text == "END_DATA") {
                    state = ReadState::Header;
                } else if (!text.empty()) {
                    // Lines whose id names no patch (Dmin, Dmax, lower case, a leading blank)
                    // are skipped: they are not part of the reference, and skipping them keeps
                    // vendor files with extra rows usable.
                    if (!ParseSampleId(text)) break;
                    const bool grey = currentRow == -1;
                    if (grey) {
                        report.greyWithoutFieldCount |= !fileFieldCount;
                        report.greyWithoutDataFormat |= !fileDataFormat;
                        if (fileDataFormat) report.xyzNotNamed |= static_cast<std::uint8_t>(~formatNames & 7u);
                    }
                    const ValueProblem problem = StoreValues(text);
                    if (grey) NoteGreyLine(report, currentColumn, problem);
                }
            }
            break;
        }
        if (reader.AtEnd()) {
            report.bareCarriageReturn = reader.SawBareCarriageReturn();
            if (!reader.Failed()) return 0;
            report.fault = It8Fault::ReadError;
            report.detail = "read error";
            return -1;
        }
    }
}

bool TIT8Ref::ParseSampleId(std::string& line) {
    long number = 0;
    if (line.find("GS") != std::string::npos) {
        line[0] = ' ';  // "GS" was found, so the line holds at least two characters
        line[1] = ' ';
        if (LeadingInteger(line, number) && number >= 0 && number < It8GreyPatches) {
            currentColumn = static_cast<std::int32_t>(number);
            currentRow = -1;
            return true;
        }
    } else if (!line.empty() && line[0] >= 'A' && line[0] <= 'L') {
        const char letter = line[0];
        line[0] = ' ';
        if (LeadingInteger(line, number) && number >= 1 && number <= It8PatchColumns) {
            currentColumn = static_cast<std::int32_t>(number - 1);
            currentRow = letter - 'A';
            return true;
        }
    }
    // No patch of the tables: -1 in both keeps StoreDataLine from storing anywhere.
    currentRow = -1;
    currentColumn = -1;
    return false;
}

bool TIT8Ref::StoreDataLine(const std::string& line) { return StoreValues(line) == ValueProblem::None; }

TIT8Ref::ValueProblem TIT8Ref::StoreValues(const std::string& line) {
    float* target = nullptr;
    if (currentRow == -1 && currentColumn >= 0 && currentColumn < It8GreyPatches) {
        target = greyXYZ[currentColumn];
    } else if (currentRow >= 0 && currentRow < It8PatchRows && currentColumn >= 0 &&
               currentColumn < It8PatchColumns) {
        target = patchXYZ[currentRow][currentColumn];
    }
    if (target == nullptr) return ValueProblem::NoPatch;

    // At most 20 values are kept per line; a file declaring more fields still loads, and only
    // a line whose X, Y or Z stands beyond the kept values is skipped.
    const int wanted = std::min(fieldCount, It8MaxValuesPerLine);
    float values[It8MaxValuesPerLine] = {};
    int read = 0;
    FieldParse stop = FieldParse::Number;
    const char* p = line.data();
    const char* end = p + line.size();
    while (read < wanted) {
        while (p < end && IsBlank(*p)) ++p;
        const char* fieldEnd = p;
        while (fieldEnd < end && !IsBlank(*fieldEnd)) ++fieldEnd;
        stop = FieldAsFloat(p, fieldEnd, values[read]);
        if (stop != FieldParse::Number) break;
        ++read;
        p = fieldEnd;
    }

    // A patch is taken whole or not at all: a line missing X, Y or Z keeps all three of the
    // patch's previous values, so no patch mixes two measurements.
    const auto wasRead = [read](std::int32_t column) { return column >= 0 && column < read; };
    if (!wasRead(xColumn) || !wasRead(yColumn) || !wasRead(zColumn)) {
        if (stop == FieldParse::NonFinite) return ValueProblem::NonFinite;
        if (stop == FieldParse::DecimalComma) return ValueProblem::DecimalComma;
        return ValueProblem::TooFewValues;
    }
    target[0] = values[xColumn];
    target[1] = values[yColumn];
    target[2] = values[zColumn];
    return ValueProblem::None;
}

void TIT8Ref::NoteGreyLine(It8ReadReport& report, std::int32_t grey, ValueProblem problem) {
    if (grey < 0 || grey >= It8GreyPatches) return;
    const GreyPatchSet bit = GreyPatchSet{1} << grey;
    if (problem == ValueProblem::None) {
        report.greysStored |= bit;
        return;
    }
    report.greysInvalid |= bit;
    if (problem == ValueProblem::NonFinite) report.greysNonFinite |= bit;
    if (problem == ValueProblem::DecimalComma) report.decimalComma = true;
}

}  // namespace calvix
