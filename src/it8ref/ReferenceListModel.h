// ReferenceListModel: the wizard's list of installed reference files (it8ref.lst and the
// copies in the data folder) with its operations — loading the list at the wizard's start,
// picking an entry, installing a new file — and the Start state's ready mark they drive.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace calvix {

class Desktop;
class ReferenceLoader;
class TAppStrings;

inline constexpr const char* ReferenceListFileName = "it8ref.lst";
inline constexpr const char* NoReferenceInstalledText = "No reference installed!";
inline constexpr const char* InstallFileNamePattern = "R*.txt";

// Order of the sorted list: letters compared without regard to case. Only ASCII letters
// fold, so the order is the same under every locale; ties fall back to the exact bytes.
bool ReferenceNameLess(const std::string& a, const std::string& b);
bool SameReferenceName(const std::string& a, const std::string& b);

class ReferenceListModel {
public:
    // Loads the list (the wizard's construction). listIndex is the remembered ListIT8Index,
    // kept up to date by every pick and reset when it does not fit the list.
    ReferenceListModel(std::string dataFolder, ReferenceLoader& loader, Desktop& desktop,
                       const TAppStrings& strings, std::int32_t& listIndex);
    ReferenceListModel(const ReferenceListModel&) = delete;
    ReferenceListModel& operator=(const ReferenceListModel&) = delete;

    void ButtonIT8InstallClick();
    // The view sets `selected` to the clicked line first.
    void ListBoxIT8InstalledClick();

    std::string ListFilePath() const;
    std::string InstalledPath(const std::string& name) const;

    // ListBoxIT8Installed: sorted lines and the selected one (-1 none).
    std::vector<std::string> lines;
    int selected = -1;
    bool listPlaceholder = false;
    // Ready mark of the wizard's Start state (-1 blocked, 0 ready) and "Next >" enabled.
    std::int32_t stepReady = -1;
    bool nextEnabled = false;

    std::function<void()> changed;

private:
    void LoadList();
    int AddSorted(const std::string& name);
    void SetStartReady(bool ready);
    void ReportFileError(const std::string& error);
    void NotifyChanged();

    std::string dataFolder_;
    ReferenceLoader& loader_;
    Desktop& desktop_;
    const TAppStrings& strings_;
    std::int32_t& listIndex_;
};

}  // namespace calvix
