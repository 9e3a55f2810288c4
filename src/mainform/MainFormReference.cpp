// TMainFormular's reference option handlers and the two ways a reference comes into use.
#include "mainform/MainForm.h"

namespace calvix {

std::int32_t TMainFormular::LoadReferenceByDialog() { return referenceLoader_->LoadReferenceByDialog(); }
std::int32_t TMainFormular::LoadReferenceByPath(const std::string& path) {
    return referenceLoader_->LoadReferenceByPath(path);
}
void TMainFormular::CheckBoxTTabIT8ConvertD65Click() { referenceOptions_->CheckBoxTTabIT8ConvertD65Click(); }
void TMainFormular::UpDownTTabIT8GammaClick() { referenceOptions_->UpDownTTabIT8GammaClick(); }
void TMainFormular::CheckBoxTTabIT8GammaLastClick() { referenceOptions_->CheckBoxTTabIT8GammaLastClick(); }

}  // namespace calvix
