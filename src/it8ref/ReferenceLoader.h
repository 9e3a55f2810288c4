// ReferenceLoader: the two ways a reference file comes into use on behalf of the main window
// and the wizard — through the file dialog or by a given path — with the error message box,
// the reference label and the option controls that follow a load or a cancelled dialog.
#pragma once

#include "app/Desktop.h"

#include <cstdint>
#include <string>

namespace calvix {

class TAppStrings;
class TIT8Ref;
class ReferenceOptions;

class ReferenceLoader {
public:
    ReferenceLoader(TIT8Ref& reference, ReferenceOptions& options, Desktop& desktop,
                    const TAppStrings& strings);

    // 0 when a file was chosen and loaded, -1 when it could not be read or gives no complete
    // grey wedge of its own (after the message box and an error line naming the reason), or
    // when the dialog was cancelled (the defaults are then back in force).
    std::int32_t LoadReferenceByDialog();
    // 0 when loaded, -1 otherwise (after the message box and the error line).
    std::int32_t LoadReferenceByPath(const std::string& path);

    // The main window's open dialog; it keeps its filter index and file name between uses,
    // and holds the chosen path after an accepted dialog.
    FileDialogRequest fileDialog;

private:
    std::int32_t LoadAndShow(const std::string& path);
    void ShowParsingError();

    TIT8Ref& reference_;
    ReferenceOptions& options_;
    Desktop& desktop_;
    const TAppStrings& strings_;
};

}  // namespace calvix
