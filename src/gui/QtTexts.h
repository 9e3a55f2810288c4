// Qt's own texts (the buttons of message boxes, the file dialog's labels) in the language in
// force, like every other text of the program that the operator reads in its windows.
#pragma once

namespace calvix {

// Installs Qt's translation for the language of a text base (0 German, 20000 French; English
// needs none) and drops the one installed before. Without Qt's translations installed the
// texts stay English. Cheap when the language has not changed since the last call.
void FollowLanguageInQtTexts(int textBase);

}  // namespace calvix
