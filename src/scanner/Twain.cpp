// The TWAIN module's life: loading the source manager, opening and closing manager and source,
// the session end that restores the source's own values, source selection, the feeder query
// and the capability check.
#include "scanner/Twain.h"

#include "app/FormStatus.h"

#include <cstring>
#include <filesystem>

namespace calvix {

using namespace twain;

namespace {

constexpr const char* kUnit = "Twain";

void CopyText(char* destination, std::size_t capacity, const char* text) {
    std::memset(destination, 0, capacity);
    std::strncpy(destination, text, capacity - 1);
}

}  // namespace

TW_IDENTITY Twain::ApplicationIdentity() {
    TW_IDENTITY id{};
    id.Id = 0;
    id.Version.MajorNum = 0;
    id.Version.MinorNum = 1;
    id.Version.Language = TWLG_GERMAN;
    id.Version.Country = TWCY_GERMANY;
    CopyText(id.Version.Info, sizeof id.Version.Info, "Calvix 1.1");
    id.ProtocolMajor = 1;
    id.ProtocolMinor = 9;
    id.SupportedGroups = DG_CONTROL | DG_IMAGE;
    CopyText(id.Manufacturer, sizeof id.Manufacturer, "Zelmar GmbH");
    CopyText(id.ProductFamily, sizeof id.ProductFamily, "Ordavin");
    CopyText(id.ProductName, sizeof id.ProductName, "Calvix");
    return id;
}

Twain::Twain(std::unique_ptr<DynamicLibrary> library, std::string systemDir, Clock& clock, MessagePump* pump)
    : library_(std::move(library)),
      systemDir_(std::move(systemDir)),
      clock_(clock),
      pump_(pump),
      appIdentity_(ApplicationIdentity()) {
    CopyText(sourceIdentity_.ProductName, sizeof sourceIdentity_.ProductName, kSourceProductName);
}

Twain::~Twain() {
    if (ProgramTwain() == this) SetProgramTwain(nullptr);
    TwainUnloadManager();
}

TW_UINT16 Twain::ManagerEntry(TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data) {
    lastResult_ = TWRC_FAILURE;
    if (entry_) lastResult_ = entry_(&appIdentity_, dest, dg, dat, msg, data);
    return lastResult_;
}

int Twain::TwainManagerCall(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data) {
    return ManagerEntry(nullptr, dg, dat, msg, data) == TWRC_SUCCESS ? 1 : 0;
}

TW_UINT16 Twain::SourceCall(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data) {
    return ManagerEntry(&sourceIdentity_, dg, dat, msg, data);
}

bool Twain::TwainLoadManager() {
    if (entry_) return true;
    // dlopen shows no file-error dialog, so there is no error mode to switch around the load.
    std::error_code error;
    if (!library_ || systemDir_.empty() || !std::filesystem::is_directory(systemDir_, error)) return false;
    if (!library_->Open(systemDir_ + kManagerLibraryName)) return false;
    entry_ = reinterpret_cast<DSMENTRYPROC>(library_->Symbol(kManagerEntryName));
    // A library without the entry point is of no use: it is not kept, so the caller reports
    // the load as failed instead of failing at every later call.
    if (!entry_) library_->Close();
    return entry_ != nullptr;
}

void Twain::TwainUnloadManager() {
    // Windows broadcasts a move notification here so that windows a source's dialog covered
    // redraw themselves. No source shows a dialog of ours (show-UI is off) and the toolkit
    // repaints on its own, so nothing corresponds to it on this desktop.
    // The manager must not stay open over its own unloading: a source's worker could still
    // post into unmapped code.
    if (managerOpen_) TwainClose(parent_);
    if (managerOpen_) {
        // The source would not close, so its worker may still run inside the manager's
        // libraries: they stay loaded for the process's life rather than vanish under it.
        CALVIX_LOG_ERR(kUnit, "TWAIN: source or manager would not close, manager stays loaded", LogErr);
        return;
    }
    if (library_) library_->Close();
    entry_ = nullptr;
}

bool Twain::TwainOpenManager(TwainWindow window) {
    if (managerOpen_) return true;
    parent_ = window;
    // The manager numbers the application afresh at every opening.
    appIdentity_ = ApplicationIdentity();
    if (ManagerEntry(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parent_) == TWRC_SUCCESS) managerOpen_ = true;
    return managerOpen_;
}

bool Twain::TwainOpenSource() {
    if (sourceOpen_) return true;
    std::memset(&sourceIdentity_, 0, sizeof sourceIdentity_);
    CopyText(sourceIdentity_.ProductName, sizeof sourceIdentity_.ProductName, kSourceProductName);
    if (ManagerEntry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &sourceIdentity_) == TWRC_SUCCESS) {
        sourceOpen_ = true;
        sourceChosen_ = true;
    }
    return sourceOpen_;
}

void Twain::TwainClose(TwainWindow window) {
    // Closing during an acquisition (the program closes while the source is at work) ends the
    // acquisition too: its event loop finds the source gone and stops.
    if (pumping_) abortRequested_ = true;
    // Whatever state the source is in, it is walked back the standard's way: disabled, closed,
    // then the manager. A flag is cleared only when its close was accepted: a source that
    // refused stays open to the manager, which then refuses CLOSEDSM, so it is not asked.
    if (sourceOpen_) {
        DisableSource();
        if (ManagerEntry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &sourceIdentity_) == TWRC_SUCCESS) {
            sourceOpen_ = false;
            sourceEnabled_ = false;
        }
    }
    if (managerOpen_ && !sourceOpen_) {
        parent_ = window;
        if (ManagerEntry(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parent_) == TWRC_SUCCESS) managerOpen_ = false;
    }
}

void Twain::DisableSource() {
    if (sourceEnabled_ && SourceCall(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &userInterface_) == TWRC_SUCCESS)
        sourceEnabled_ = false;
}

void Twain::TwainCloseSession(TwainWindow window) {
    // Decision: the source is closed after the restore whether or not the restore worked. Left
    // open, it would keep the manager from closing (a manager refuses CLOSEDSM with a source
    // open), and the next acquisition's OPENDSM would then fail. Nothing is sent to a source
    // that is not open, and no value to one still enabled (it would refuse them all).
    if (sourceOpen_) {
        DisableSource();
        if (!sourceEnabled_) TwainApplySettings(saved_);
    }
    TwainClose(window);
}

int Twain::TwainCheckCapabilities(TwainWindow window) {
    int code = 0;
    // An unopened manager is a failure like any other, so the caller's error line appears.
    if (!TwainOpenManager(window))
        code = kTwainManagerNotOpen;
    else if (!TwainOpenSource())
        code = TWRC_FAILURE;
    else
        code = TwainReadCapabilities();
    TwainCloseSession(window);
    return code;
}

int Twain::TwainFeederLoaded(TwainWindow window) {
    if (!TwainOpenManager(window)) return kFeederManagerNotOpen;
    if (!TwainOpenSource()) return kFeederSourceNotOpen;
    TW_BOOL loaded = 0;
    // A failed query is negative like the other failures: as a positive result code it would
    // read as "paper present".
    if (TwainGetCap(CAP_FEEDERLOADED, &loaded, TWTY_BOOL) != TWRC_SUCCESS) return kFeederQueryFailed;
    return loaded != 0 ? 1 : 0;
}

bool Twain::TwainSelectSource(TwainWindow window) {
    sourceChosen_ = false;
    if (!TwainOpenManager(window)) return false;
    TW_IDENTITY found{};
    // With no source at all the list ends at once; that is no choice.
    if (ManagerEntry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &found) == TWRC_SUCCESS) {
        if (ManagerEntry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &found) == TWRC_ENDOFLIST) {
            sourceChosen_ = true;
        } else {
            ManagerEntry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &found);
            sourceChosen_ = ManagerEntry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &found) == TWRC_SUCCESS;
        }
    }
    const bool chosen = sourceChosen_;
    TwainCloseSession(window);
    return chosen;
}

}  // namespace calvix
