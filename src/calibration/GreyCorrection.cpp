// The evaluation order of a grey wedge: reference colours, grey-step file, white adaption,
// colour display, factors, tables, table file, LUT record (only for tables that never fall).
#include "calibration/GreyCorrection.h"

#include "app/FormStatus.h"
#include "calibration/ChannelTable.h"
#include "calibration/CorrectionFactors.h"
#include "calibration/CorrectionFiles.h"
#include "calibration/ReferenceColours.h"

#include <algorithm>

namespace calvix {

namespace {

// The evaluation goes on without a file that cannot be written, but the log says so: a
// silently missing or stale file would be taken for this run's result.
EvaluationFile Written(const std::string& path, bool written, const std::string& error) {
    if (!written) CALVIX_LOG_ERR(unit::MainForm, error, LogErr);
    return EvaluationFile{path, written ? std::string() : error};
}

}  // namespace

void GreyCorrection::Evaluate(const GreyWedgeInput& input, CalibrationLutRecord& lut,
                              const ColourDisplay& showColours) {
    measured_ = input.measured;
    reference_ = ReferenceColoursOf(input.referenceGreys);
    files_.clear();
    std::string error;
    const bool greysWritten = WriteGreyScaleFile(input.dataFolder, input.isFront, measured_, reference_, &error);
    files_.push_back(Written(GreyScaleFilePath(input.dataFolder, input.isFront), greysWritten, error));
    UpdateWhiteScale(whiteScale_, input.sliderPosition, measured_[0]);
    if (showColours) showColours(measured_, reference_);

    factors_ = ComputeCorrectionFactors(measured_, reference_);
    LogCorrectionFactors(measured_, factors_);

    tables_ = BuildChannelTables(measured_, reference_, whiteScale_);
    const bool tablesWritten = WriteTableFile(input.dataFolder, input.isFront, tables_, &error);
    files_.push_back(Written(TableFilePath(input.dataFolder, input.isFront), tablesWritten, error));
    // A falling table turns lighter greys darker; the device must never get one, whoever
    // asked for the evaluation, so the side's earlier tables stay in the record.
    tablesUsable_ = std::all_of(tables_.begin(), tables_.end(), ChannelTableNonDecreasing);
    if (tablesUsable_) {
        lut.SetSideTables(input.isFront ? LutSide::Front : LutSide::Rear, tables_);
    } else {
        CALVIX_LOG_ERR(unit::MainForm,
                       input.isFront ? "Correction tables of the front side fall, not taken into the LUT!"
                                     : "Correction tables of the rear side fall, not taken into the LUT!",
                       LogErrBar);
    }
}

}  // namespace calvix
