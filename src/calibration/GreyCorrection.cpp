// The evaluation order of a grey wedge: reference colours, grey-step file, white adaption,
// colour display, factors, tables, table file, LUT record.
#include "calibration/GreyCorrection.h"

#include "app/FormStatus.h"
#include "calibration/ChannelTable.h"
#include "calibration/CorrectionFactors.h"
#include "calibration/CorrectionFiles.h"
#include "calibration/ReferenceColours.h"

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
    lut.SetSideTables(input.isFront ? LutSide::Front : LutSide::Rear, tables_);
}

}  // namespace calvix
