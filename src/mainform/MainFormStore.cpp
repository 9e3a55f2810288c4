// TMainFormular's Store handler: the grey-scale correction of the current image window, on
// corners that pass the chart check.
#include "mainform/MainForm.h"

#include "app/Desktop.h"
#include "calibration/CalibrationLut.h"
#include "calibration/StoreSide.h"
#include "it8ref/ReferenceGrey.h"

namespace calvix {

void TMainFormular::Store() { StoreChecked(); }

bool TMainFormular::StoreChecked() {
    TChildImage* window = images_->ChildImage();
    if (!window) return false;  // the button is enabled only with a located chart in front
    // Corners set by hand pass no check of their own; tables from a frame that misses the
    // chart would calibrate the scanner to whatever lies under it. The operator is told, and
    // the tables and the LUT stay as they were.
    if (const int code = chart_->CheckCornersInForce(); code != 0) {
        CALVIX_LOG_ERR(unit::MainForm,
                       LogWriter.Printf("Store refused: the corners fail the chart check (%d)!", code), LogErr);
        ports_.desktop.ShowMessage(appStrings_->MsgErrCornersCheck.caption, appStrings_->MBoxTitleError.caption,
                                   MessageButtons::Ok);
        return false;
    }
    StoreSideInputs inputs{ReferenceGreyTable, whiteAdaptionPosition, controls.showRasterAndColors.checked,
                           appDataFolder_, controls};
    StoreSide(*window, inputs, correction_, CalibrationLut);
    KeepProfilePatches(*window);
    return true;
}

}  // namespace calvix
