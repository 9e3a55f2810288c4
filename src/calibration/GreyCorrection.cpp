// The evaluation order of a grey wedge: reference colours, grey-step file, white adaption,
// colour display, factors, tables, table file, LUT record.
#include "calibration/GreyCorrection.h"

#include "calibration/ChannelTable.h"
#include "calibration/CorrectionFactors.h"
#include "calibration/CorrectionFiles.h"
#include "calibration/ReferenceColours.h"

namespace calvix {

void GreyCorrection::Evaluate(const GreyWedgeInput& input, CalibrationLutRecord& lut,
                              const ColourDisplay& showColours) {
    measured_ = input.measured;
    reference_ = ReferenceColoursOf(input.referenceGreys);
    WriteGreyScaleFile(input.dataFolder, input.isFront, measured_, reference_);
    UpdateWhiteScale(whiteScale_, input.sliderPosition, measured_[0]);
    if (showColours) showColours(measured_, reference_);

    factors_ = ComputeCorrectionFactors(measured_, reference_);
    LogCorrectionFactors(measured_, factors_);

    tables_ = BuildChannelTables(measured_, reference_, whiteScale_);
    WriteTableFile(input.dataFolder, input.isFront, tables_);
    lut.SetSideTables(input.isFront ? LutSide::Front : LutSide::Rear, tables_);
}

}  // namespace calvix
