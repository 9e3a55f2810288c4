// Copies between the shared grey-wedge table and the grey-scale correction's plain values.
#include "calibration/GreyPatchExchange.h"

namespace calvix {

GreyColours MeasuredColours(const GreyPatchTable& table) {
    GreyColours colours{};
    for (int k = 0; k < GreyWedgeSteps; ++k) colours[k] = table[k].measured;
    return colours;
}

void WriteEvaluation(const GreyCorrection& correction, GreyPatchTable& table) {
    for (int k = 0; k < GreyWedgeSteps; ++k) {
        table[k].reference = correction.ReferenceColours()[k];
        table[k].correction = correction.Factors()[k];
    }
}

}  // namespace calvix
