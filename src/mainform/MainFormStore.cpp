// TMainFormular's Store handler: the grey-scale correction of the current image window.
#include "mainform/MainForm.h"
#include "calibration/CalibrationLut.h"
#include "calibration/StoreSide.h"
#include "it8ref/ReferenceGrey.h"

namespace calvix {

void TMainFormular::Store() {
    TChildImage* window = images_->ChildImage();
    if (!window) return;  // the button is enabled only with a located chart in front
    StoreSideInputs inputs{ReferenceGreyTable, whiteAdaptionPosition, controls.showRasterAndColors.checked,
                           appDataFolder_, controls};
    StoreSide(*window, inputs, correction_, CalibrationLut);
}

}  // namespace calvix
