// The Store sequence: sampling, evaluation with the colour display at its place in the order,
// write-back into the grey-wedge table, and the window's correction state.
#include "calibration/StoreSide.h"

#include "analysis/ImageChild.h"
#include "analysis/WedgeSampling.h"
#include "calibration/GreyPatchExchange.h"

namespace calvix {

void StoreSide(TChildImage& window, const StoreSideInputs& inputs, GreyCorrection& correction,
               CalibrationLutRecord& lut) {
    GreyPatchTable& table = inputs.greyPatches;
    SampleGreyWedge(window, table);

    GreyWedgeInput wedge;
    wedge.measured = MeasuredColours(table);
    wedge.referenceGreys = inputs.referenceGreys;
    wedge.sliderPosition = inputs.whiteAdaptionPosition;
    wedge.isFront = window.isFront;
    wedge.dataFolder = inputs.dataFolder;

    GreyCorrection::ColourDisplay display;
    if (inputs.showRasterAndColors) {
        // The display paints the bottom raster row (reference above, measured below in each
        // cell); the wedge itself lies in the row above, so a later Store samples the same
        // pixels as this one.
        display = [&window, &table](const GreyColours& measured, const GreyColours& reference) {
            GreyPatchTable shown = table;
            for (int k = 0; k < GreyWedgeSteps; ++k) {
                shown[static_cast<std::size_t>(k)].measured = measured[static_cast<std::size_t>(k)];
                shown[static_cast<std::size_t>(k)].reference = reference[static_cast<std::size_t>(k)];
            }
            PaintGreyColours(window, shown);
        };
    }
    correction.Evaluate(wedge, lut, display);
    WriteEvaluation(correction, table);

    window.correctionDone = true;
    inputs.controls.graphButton.enabled = true;
}

}  // namespace calvix
