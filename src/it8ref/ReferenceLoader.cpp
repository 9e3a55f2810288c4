// Loading a reference file by dialog or by path, and what the main window shows afterwards.
// Every load here is for a calibration, so it takes the strict load that refuses a file
// without all 24 grey patches of its own.
#include "it8ref/ReferenceLoader.h"

#include "app/FormStatus.h"
#include "app/Strings.h"
#include "it8ref/It8Ref.h"
#include "it8ref/ReferenceGrey.h"
#include "it8ref/ReferenceOptions.h"

namespace calvix {

ReferenceLoader::ReferenceLoader(TIT8Ref& reference, ReferenceOptions& options, Desktop& desktop,
                                 const TAppStrings& strings)
    : reference_(reference), options_(options), desktop_(desktop), strings_(strings) {
    fileDialog.filters = {"All|*.*", "ASCII Text|*.txt"};
    fileDialog.filterIndex = 2;
    fileDialog.defaultExtension = "*.txt";
}

std::int32_t ReferenceLoader::LoadReferenceByDialog() {
    const std::optional<std::string> chosen = desktop_.OpenFileDialog(fileDialog);
    if (!chosen) {
        options_.ShowDefaultsInForce();
        ResetReferenceGrey();
        return -1;
    }
    fileDialog.filterIndex = 1;
    fileDialog.fileName = *chosen;
    return LoadAndShow(*chosen);
}

std::int32_t ReferenceLoader::LoadReferenceByPath(const std::string& path) {
    return LoadAndShow(path);
}

std::int32_t ReferenceLoader::LoadAndShow(const std::string& path) {
    // A file without a complete grey wedge of its own is refused like an unreadable one: the
    // operator sees the same message box, the log says what is wrong with the file.
    It8ReadReport report;
    const std::int32_t result = reference_.LoadCalibrationReference(path, report);
    if (result < 0) {
        CALVIX_LOG_ERR(unit::MainForm, "IT8 reference file '" + path + "' " + DescribeIt8Fault(report), LogErr);
        ShowParsingError();
        return result;
    }
    options_.ShowLoadedReference(path);
    return 0;
}

void ReferenceLoader::ShowParsingError() {
    desktop_.ShowMessage(strings_.MsgErrParsingIT8.caption, strings_.MBoxTitleError.caption,
                         MessageButtons::Ok);
}

}  // namespace calvix
