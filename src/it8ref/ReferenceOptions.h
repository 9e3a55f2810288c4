// ReferenceOptions: the main window's reference option controls (chromatic adaptation, gamma,
// "Gamma last", the reference label) as GUI-free state with their click handlers. The main
// window owns one; its view draws these fields and calls the handlers after a user change.
#pragma once

#include <functional>
#include <string>

namespace calvix {

class TIT8Ref;

struct CheckBoxControl {
    bool checked = false;
    bool enabled = false;
    std::string caption;
};

struct UpDownControl {
    int min = 5;
    int max = 50;
    int position = 10;
    bool enabled = false;
};

struct LabelControl {
    std::string caption;
    bool enabled = false;
};

inline constexpr const char* DefaultValuesActiveText = "Default values active";

class ReferenceOptions {
public:
    explicit ReferenceOptions(TIT8Ref& reference);
    ReferenceOptions(const ReferenceOptions&) = delete;
    ReferenceOptions& operator=(const ReferenceOptions&) = delete;

    // The view has already set the new checked state / position; these react to it.
    void CheckBoxTTabIT8ConvertD65Click();
    void UpDownTTabIT8GammaClick();
    void CheckBoxTTabIT8GammaLastClick();

    // Programmatic change of "Gamma last"; a change of state counts as a click, as with the
    // platform's check boxes, so gammaLast and the gamma follow it.
    void SetGammaLastChecked(bool checked);

    // A reference file was loaded: label shows its path, controls come on, the table is
    // recomputed through the adaptation option.
    void ShowLoadedReference(const std::string& path);
    // The defaults are back in force: label text, controls off, "Gamma last" unchecked.
    // The caller puts the default table back afterwards.
    void ShowDefaultsInForce();

    // Gamma of the up-down: position × 0.1.
    float UpDownGamma() const;

    // Design states of the form; CheckBoxTTabIT8ConvertD65.checked is then set from the INI
    // by the main window, which is not a click.
    CheckBoxControl CheckBoxTTabIT8ConvertD65{true, false, "chromatic adaption (D65)"};
    UpDownControl UpDownTTabIT8Gamma;
    LabelControl LabelTTabIT8GammaVal{"1.0", false};
    LabelControl LabelTTabIT8Gamma{"Gamma", false};
    CheckBoxControl CheckBoxTTabIT8GammaLast{false, false, "Gamma last"};
    bool gammaLast = false;
    LabelControl LabelTTabIT8ProfilPath{DefaultValuesActiveText, true};
    // The reference file in force, whole; empty while the defaults are.
    std::string loadedPath;
    // Width of the reference label in characters; the loaded path is shortened to it.
    std::size_t profilPathWidth = 60;

    // Called after any of the fields above changed, so a view can redraw.
    std::function<void()> changed;

private:
    void SetOptionControlsEnabled(bool enabled);
    void NotifyChanged();

    TIT8Ref& reference_;
};

}  // namespace calvix
