// The Store sequence on one image window: sample its grey wedge, evaluate it against the
// reference greys, show the colours, and hand the results back to the shared grey-wedge table,
// the window and the main window's graph button. The main window and the offline tool share it.
#pragma once

#include "analysis/PatchSampling.h"
#include "app/MainFormControls.h"
#include "calibration/CalibrationLut.h"
#include "calibration/CorrectionTypes.h"
#include "calibration/GreyCorrection.h"

#include <string>

namespace calvix {

class TChildImage;

// What Store reads from the main window at the moment it runs.
struct StoreSideInputs {
    const ReferenceGreys& referenceGreys;  // the process-wide ReferenceGreyTable in the program
    int whiteAdaptionPosition = 0;         // the slider, 0-4
    bool showRasterAndColors = true;       // "Show Raster and Colors"
    const std::string& dataFolder;
    MainFormControls& controls;
    // The shared grey-wedge table; the process-wide one unless a caller keeps its own.
    GreyPatchTable& greyPatches = GreyPatches();
};

// Evaluates the window's grey wedge at its stored corners and raster geometry. The side
// (file names, half of lut) follows window.isFront; the other half of lut stays untouched.
void StoreSide(TChildImage& window, const StoreSideInputs& inputs, GreyCorrection& correction,
               CalibrationLutRecord& lut = CalibrationLut);

}  // namespace calvix
