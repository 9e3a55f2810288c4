// What a certificate says about the chart's reference file beyond its XYZ values: the header
// keywords that identify the target batch, and the L*a*b* values of the colour patches when the
// file gives them (else they follow from the XYZ values under D50).
#pragma once

#include "QualityNames.h"
#include "colour/ColourSpaces.h"
#include "it8ref/It8Ref.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace calvix::verify {

// A reference file larger than this is not a chart's data (real ones are tens of kilobytes).
inline constexpr std::size_t MaxBatchFileBytes = 4u << 20;
// Header values are cut here; a batch name never needs more.
inline constexpr std::size_t MaxKeywordValue = 120;

struct ReferenceBatch {
    std::string file;
    // The identifying keywords in the order the file gives them (ORIGINATOR, DESCRIPTOR,
    // CREATED, MANUFACTURER, PROD_DATE, SERIAL, MATERIAL), quotes removed.
    std::vector<std::pair<std::string, std::string>> keywords;
    // Per colour patch (row A..L, column 1..22): its L*a*b* and whether the file gave it.
    std::array<std::array<Lab, It8PatchColumns>, It8PatchRows> lab{};
    int labFromFile = 0;  // how many patches had LAB_L, LAB_A and LAB_B in the file

    std::string Keyword(const std::string& name) const;
};

// Reads the header keywords and LAB columns of a CGATS reference file; patches without them get
// L*a*b* from the record's XYZ (loaded from the same file) under D50. False with a reason when
// the file cannot be read whole.
bool ReadReferenceBatch(const std::string& path, const TIT8Ref& reference, ReferenceBatch& batch, std::string& error);

}  // namespace calvix::verify
