// GreyCorrection: one evaluation of a chart side's grey wedge, from the measured and reference
// grey steps to reference colours, white adaption, factors, tables, files and the side's
// place in the calibration LUT. Holds the results of the last evaluation for display.
#pragma once

#include "calibration/CalibrationLut.h"
#include "calibration/CorrectionTypes.h"

#include <functional>
#include <string>
#include <vector>

namespace calvix {

// One text file of an evaluation: its path, and why it could not be written (empty: written).
struct EvaluationFile {
    std::string path;
    std::string error;
};

struct GreyWedgeInput {
    GreyColours measured{};           // GS0..GS23 as sampled, red in the lowest byte
    ReferenceGreys referenceGreys{};  // the reference conversion's floats, 0-255 scale
    int sliderPosition = 0;           // white adaption, 0-4
    bool isFront = true;
    std::string dataFolder;  // where the two text files go
};

class GreyCorrection {
public:
    // Called with the measured and reference colours once they are known and before the
    // factors are logged, so the caller can paint them at the moment the evaluation reaches
    // its colour display.
    using ColourDisplay = std::function<void(const GreyColours& measured, const GreyColours& reference)>;

    // Runs the whole evaluation and copies the three tables into lut by side; the other side
    // of lut stays as it is. Tables of which one falls somewhere are kept out of lut.
    void Evaluate(const GreyWedgeInput& input, CalibrationLutRecord& lut = CalibrationLut,
                  const ColourDisplay& showColours = {});

    const GreyColours& Measured() const { return measured_; }
    const GreyColours& ReferenceColours() const { return reference_; }
    const CorrectionFactors& Factors() const { return factors_; }
    const WhiteScale& whiteScale() const { return whiteScale_; }
    const ChannelTables& Tables() const { return tables_; }
    // The last evaluation's tables never fall and went into the record.
    bool TablesUsable() const { return tablesUsable_; }
    // The grey-step file and the table file of the last evaluation, in that order.
    const std::vector<EvaluationFile>& Files() const { return files_; }

private:
    GreyColours measured_{};
    GreyColours reference_{};
    CorrectionFactors factors_{};
    // No adaption until a slider position inside 0-4 has been applied.
    WhiteScale whiteScale_{1.0, 1.0, 1.0};
    ChannelTables tables_{};
    bool tablesUsable_ = false;
    std::vector<EvaluationFile> files_;
};

}  // namespace calvix
