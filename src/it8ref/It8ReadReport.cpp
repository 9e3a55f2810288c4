// Judging a read reference file for a calibration, and saying in words what is wrong with it.
// The checks run in the order that explains most: a file relying on an earlier file's layout
// first, then the causes that make grey lines unreadable, then the grey patches themselves.
#include "it8ref/It8ReadReport.h"

namespace calvix {

namespace {

constexpr int GreyCount = 24;

bool Has(GreyPatchSet set, int n) { return ((set >> n) & 1u) != 0; }

std::string XyzNames(std::uint8_t bits) {
    static const char* const names[3] = {"XYZ_X", "XYZ_Y", "XYZ_Z"};
    std::string text;
    for (int i = 0; i < 3; ++i) {
        if (((bits >> i) & 1u) == 0) continue;
        if (!text.empty()) text += ", ";
        text += names[i];
    }
    return text;
}

std::string DescribeGreys(const It8ReadReport& report) {
    const GreyPatchSet missing = AllGreyPatches & ~report.greysStored & ~report.greysInvalid;
    const GreyPatchSet nonFinite = report.greysNonFinite & AllGreyPatches;
    const GreyPatchSet unreadable = report.greysInvalid & ~nonFinite & AllGreyPatches;
    std::string text;
    const auto add = [&text](const std::string& part) { text += (text.empty() ? "" : "; ") + part; };
    if (missing != 0) add("lacks grey patches " + GreyPatchNames(missing));
    if (nonFinite != 0) add("has grey patches " + GreyPatchNames(nonFinite) + " with a value that is not a finite number");
    if (unreadable != 0) {
        add("has grey patches " + GreyPatchNames(unreadable) + " without three numbers for XYZ_X, XYZ_Y and XYZ_Z");
    }
    return text;
}

}  // namespace

It8Fault CalibrationFault(const It8ReadReport& report) {
    if (report.fault != It8Fault::None) return report.fault;
    if (report.greyWithoutFieldCount) return It8Fault::NoFieldCount;
    if (report.greyWithoutDataFormat) return It8Fault::NoDataFormat;
    if (report.xyzNotNamed != 0) return It8Fault::XyzColumnNotNamed;
    // The reader takes every data line's first field as its id; a file that says otherwise
    // gives its values in other columns than the reader would take them from.
    if (report.sampleIdColumn > 0) return It8Fault::SampleIdNotFirst;
    if (report.greysStored == AllGreyPatches && report.greysInvalid == 0) return It8Fault::None;
    if (report.bareCarriageReturn) return It8Fault::CarriageReturnLineEnds;
    if (!report.dataBlockSeen) return It8Fault::NoDataBlock;
    if (report.decimalComma) return It8Fault::DecimalComma;
    return It8Fault::GreysIncomplete;
}

std::string DescribeIt8Fault(const It8ReadReport& report) {
    switch (CalibrationFault(report)) {
    case It8Fault::None:
        return "is usable";
    case It8Fault::CannotOpen:
        return "cannot be opened: " + report.detail;
    case It8Fault::ReadError:
        return "cannot be read: " + report.detail;
    case It8Fault::BadFieldCount:
        return "has NUMBER_OF_FIELDS followed by '" + report.detail +
               "'; it must be followed by the number of values per data line, a whole number from 1 to 2147483647";
    case It8Fault::CarriageReturnLineEnds:
        return "ends its lines with a carriage return alone; a line must end with a line feed or with a carriage "
               "return and a line feed";
    case It8Fault::SampleIdNotFirst:
        return "has SAMPLE_ID as column " + std::to_string(report.sampleIdColumn + 1) +
               " of its data format; the sample id must be the first column of every data line";
    case It8Fault::NoDataBlock:
        return "has no BEGIN_DATA block, so no grey patches";
    case It8Fault::NoFieldCount:
        return "has no NUMBER_OF_FIELDS before its grey patches";
    case It8Fault::NoDataFormat:
        return "has no BEGIN_DATA_FORMAT block naming its columns before its grey patches";
    case It8Fault::XyzColumnNotNamed:
        return "does not name " + XyzNames(report.xyzNotNamed) + " in the data format of its grey patches";
    case It8Fault::DecimalComma:
        return "writes grey patches " + GreyPatchNames(report.greysInvalid) +
               " with a decimal comma; the decimal point must be '.'";
    case It8Fault::GreysIncomplete:
        return DescribeGreys(report);
    }
    return "is not usable";
}

std::string GreyPatchNames(GreyPatchSet set) {
    std::string text;
    for (int n = 0; n < GreyCount; ++n) {
        if (!Has(set, n)) continue;
        int last = n;
        while (last + 1 < GreyCount && Has(set, last + 1)) ++last;
        if (!text.empty()) text += ", ";
        text += "GS" + std::to_string(n);
        if (last > n) text += "-GS" + std::to_string(last);
        n = last;
    }
    return text;
}

}  // namespace calvix
