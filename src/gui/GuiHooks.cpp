// Stand-ins until the help browser, the about window and the core's wizard command are part of
// this build; each is one call there.
#include "gui/GuiHooks.h"

namespace calvix {

void ShowHelp(QWidget*, int) {}
void ShowAboutDialog(QWidget*, TMainFormular&) {}
void OpenCalibrationAssistent(TMainFormular&) {}

}  // namespace calvix
