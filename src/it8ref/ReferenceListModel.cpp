// The installed-reference list of the wizard's first page: reading it8ref.lst, picking an
// entry (which loads its installed copy), installing a chosen file as a CR LF text copy.
#include "it8ref/ReferenceListModel.h"

#include "app/AtomicFile.h"
#include "app/Desktop.h"
#include "app/FormStatus.h"
#include "app/Strings.h"
#include "it8ref/ReferenceLoader.h"
#include "it8ref/TextFiles.h"

#include <algorithm>
#include <utility>

namespace calvix {

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

int CompareFolded(const std::string& a, const std::string& b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto left = static_cast<unsigned char>(FoldAscii(a[i]));
        const auto right = static_cast<unsigned char>(FoldAscii(b[i]));
        if (left != right) return left < right ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace

bool ReferenceNameLess(const std::string& a, const std::string& b) {
    const int folded = CompareFolded(a, b);
    return folded != 0 ? folded < 0 : a < b;
}

bool SameReferenceName(const std::string& a, const std::string& b) { return CompareFolded(a, b) == 0; }

ReferenceListModel::ReferenceListModel(std::string dataFolder, ReferenceLoader& loader,
                                       Desktop& desktop, const TAppStrings& strings,
                                       std::int32_t& listIndex)
    : dataFolder_(std::move(dataFolder)), loader_(loader), desktop_(desktop), strings_(strings),
      listIndex_(listIndex) {
    LoadList();
}

std::string ReferenceListModel::ListFilePath() const {
    return dataFolder_ + "/" + ReferenceListFileName;
}

std::string ReferenceListModel::InstalledPath(const std::string& name) const {
    return dataFolder_ + "/" + name;
}

void ReferenceListModel::LoadList() {
    std::vector<std::string> fileLines;
    if (ReadTextLines(ListFilePath(), MaxListFileBytes, fileLines)) {
        // Blank lines name no installed file; a hand-edited list may hold some, and picking
        // one would only show the parsing error, so they are left out of the list.
        std::erase_if(fileLines, [](const std::string& line) { return line.empty(); });
        std::stable_sort(fileLines.begin(), fileLines.end(), ReferenceNameLess);
        lines = std::move(fileLines);
        selected = -1;
        if (listIndex_ >= 0 && listIndex_ < static_cast<std::int32_t>(lines.size())) {
            selected = listIndex_;
            ListBoxIT8InstalledClick();
        } else {
            listIndex_ = -1;
        }
    } else {
        // The empty line is the list box's own first line; the placeholder sorts after it.
        lines = {"", NoReferenceInstalledText};
        selected = -1;
        listPlaceholder = true;
        listIndex_ = -1;
    }
    NotifyChanged();
}

void ReferenceListModel::ListBoxIT8InstalledClick() {
    CALVIX_LOG_DBG(unit::assistent, "TFormAssistent::ListBoxIT8InstalledClick()");
    // A click that selects no line (empty area of the box) picks nothing.
    if (selected < 0 || selected >= static_cast<int>(lines.size())) return;
    listIndex_ = selected;
    loader_.LoadReferenceByPath(InstalledPath(lines[selected]));
    // Ready even after a failed load: the message box was shown and the values in force
    // before stay in force.
    SetStartReady(true);
    NotifyChanged();
}

void ReferenceListModel::ButtonIT8InstallClick() {
    CALVIX_LOG_DBG(unit::assistent, "TFormAssistent::ButtonIT8InstallClick()");
    loader_.fileDialog.fileName = InstallFileNamePattern;
    if (loader_.LoadReferenceByDialog() < 0) {
        CALVIX_LOG_ERR(unit::assistent, "Assistent: Abort, parsing or file error, IT8 ref not installed!",
                       LogErrSplash);
        SetStartReady(false);
        NotifyChanged();
        return;
    }
    LogStatus("Assistent: IT8 reference file parsed and installed!", LogStaSplash);

    const std::string chosen = loader_.fileDialog.fileName;
    const std::string name = FileNamePart(chosen);
    if (name.empty()) {
        ReportFileError("No file name in \"" + chosen + "\"");
        return;
    }
    if (listPlaceholder) {
        lines.clear();
        selected = -1;
        listPlaceholder = false;
    }
    const bool listed = std::any_of(lines.begin(), lines.end(), [&name](const std::string& line) {
        return SameReferenceName(line, name);
    });
    if (listed) {
        NotifyChanged();
        return;
    }

    std::string error;
    if (!CopyTextFileAtomic(chosen, InstalledPath(name), error)) {
        ReportFileError(error);
        return;
    }
    selected = AddSorted(name);
    ListBoxIT8InstalledClick();
    if (!WriteTextLinesAtomic(ListFilePath(), lines, error)) {
        ReportFileError(error);
        return;
    }
    NotifyChanged();
}

int ReferenceListModel::AddSorted(const std::string& name) {
    const auto place = std::upper_bound(lines.begin(), lines.end(), name, ReferenceNameLess);
    const auto index = place - lines.begin();
    lines.insert(place, name);
    return static_cast<int>(index);
}

void ReferenceListModel::SetStartReady(bool ready) {
    stepReady = ready ? 0 : -1;
    nextEnabled = ready;
}

void ReferenceListModel::ReportFileError(const std::string& error) {
    // Steps already done stay done; the operator learns what the file system refused.
    CALVIX_LOG_ERR(unit::assistent, error, LogErrSplash);
    desktop_.ShowMessage(error, strings_.MBoxTitleError.caption, MessageButtons::Ok);
    NotifyChanged();
}

void ReferenceListModel::NotifyChanged() {
    if (changed) changed();
}

}  // namespace calvix
