// Handlers of the reference option controls: every change recomputes the reference greys from
// the current record, gamma and adaptation; the gamma label and log lines follow the up-down.
#include "it8ref/ReferenceOptions.h"

#include "app/FormStatus.h"
#include "it8ref/It8Ref.h"
#include "it8ref/PathEllipsis.h"

#include <algorithm>
#include <cstdio>

namespace calvix {

ReferenceOptions::ReferenceOptions(TIT8Ref& reference) : reference_(reference) {}

float ReferenceOptions::UpDownGamma() const {
    return static_cast<float>(UpDownTTabIT8Gamma.position * 0.1);
}

void ReferenceOptions::CheckBoxTTabIT8ConvertD65Click() {
    reference_.SetChromaticAdaptation(CheckBoxTTabIT8ConvertD65.checked);
    NotifyChanged();
}

void ReferenceOptions::UpDownTTabIT8GammaClick() {
    UpDownControl& upDown = UpDownTTabIT8Gamma;
    upDown.position = std::clamp(upDown.position, upDown.min, upDown.max);
    CALVIX_LOG_VCL(unit::MainForm, "Gamma UpDown: event 'click' ...");
    char text[32];
    std::snprintf(text, sizeof text, "%3.1f", upDown.position * 0.1);
    LabelTTabIT8GammaVal.caption = text;
    if (!gammaLast) reference_.SetGamma(UpDownGamma());
    char status[96];
    std::snprintf(status, sizeof status, "  Pos.: %d, display %s", upDown.position,
                  LabelTTabIT8GammaVal.caption.c_str());
    LogStatus(status, LogSta);
    NotifyChanged();
}

void ReferenceOptions::CheckBoxTTabIT8GammaLastClick() {
    gammaLast = CheckBoxTTabIT8GammaLast.checked;
    reference_.SetGamma(gammaLast ? 1.0f : UpDownGamma());
    NotifyChanged();
}

void ReferenceOptions::SetGammaLastChecked(bool checked) {
    if (CheckBoxTTabIT8GammaLast.checked == checked) return;
    CheckBoxTTabIT8GammaLast.checked = checked;
    CheckBoxTTabIT8GammaLastClick();
}

void ReferenceOptions::ShowLoadedReference(const std::string& path) {
    LabelTTabIT8ProfilPath.caption = ShortenPathForLabel(path, profilPathWidth);
    loadedPath = path;
    CheckBoxTTabIT8ConvertD65.enabled = true;
    reference_.SetChromaticAdaptation(CheckBoxTTabIT8ConvertD65.checked);
    SetOptionControlsEnabled(true);
    // The box already shows gammaLast; assigning it is not a change, so nothing recomputes.
    CheckBoxTTabIT8GammaLast.checked = gammaLast;
    NotifyChanged();
}

void ReferenceOptions::ShowDefaultsInForce() {
    LabelTTabIT8ProfilPath.caption = DefaultValuesActiveText;
    loadedPath.clear();
    CheckBoxTTabIT8ConvertD65.enabled = false;
    SetOptionControlsEnabled(false);
    SetGammaLastChecked(false);
    NotifyChanged();
}

void ReferenceOptions::SetOptionControlsEnabled(bool enabled) {
    LabelTTabIT8Gamma.enabled = enabled;
    LabelTTabIT8GammaVal.enabled = enabled;
    UpDownTTabIT8Gamma.enabled = enabled;
    CheckBoxTTabIT8GammaLast.enabled = enabled;
}

void ReferenceOptions::NotifyChanged() {
    if (changed) changed();
}

}  // namespace calvix
