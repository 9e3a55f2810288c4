// The windows the main window opens but does not own: the help browser, the about window and
// the calibration wizard (which the core creates and the desktop shows).
#pragma once

class QWidget;

namespace calvix {

class TMainFormular;

// The help context that stands for the contents page.
inline constexpr int HelpContentsContext = 0;

// The help browser at the page of a help context, in the language in force.
void ShowHelp(QWidget* parent, int helpContext);
// The about window, not modally.
void ShowAboutDialog(QWidget* parent, TMainFormular& core);
// File, "Calibration Assistent ...": the core creates the wizard.
void OpenCalibrationAssistent(TMainFormular& core);

}  // namespace calvix
