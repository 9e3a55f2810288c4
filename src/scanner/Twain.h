// The TWAIN acquisition module: one object holding what the glue keeps between calls (the
// manager library and its entry point, the identities, the open/enabled flags, the scan
// settings, the transferred image) and every operation on it, named as the acquisition names
// them. Tests make a fresh one; the program has one, owned by the main window.
#pragma once

#include "scanner/DynamicLibrary.h"
#include "scanner/TwainDib.h"
#include "scanner/TwainSettings.h"
#include "scanner/TwainTypes.h"

#include <cstdint>
#include <memory>
#include <string>

namespace calvix {

class Clock;
class MessagePump;

// The parent window handed to the manager and the source: opaque here, never dereferenced.
using TwainWindow = void*;

// TwainCheckCapabilities when the manager cannot be opened (any non-zero code is a failure).
inline constexpr int kTwainManagerNotOpen = -1;
// TwainFeederLoaded results besides 0 (no paper) and 1 (paper present).
inline constexpr int kFeederManagerNotOpen = -1;
inline constexpr int kFeederSourceNotOpen = -2;
inline constexpr int kFeederQueryFailed = -3;
// TwainApplySettings of a record that holds no values.
inline constexpr int kSettingsInvalid = -1;

// How long an acquisition waits for the source to post a transfer or a close request, and how
// long each wait for window events may last. One sheet takes under a second to scan; a source
// silent for a minute will not answer, and the operator is not kept waiting longer.
inline constexpr std::int64_t kTwainEventLimitMs = 60 * 1000;
inline constexpr int kTwainPumpWaitMs = 10;

inline constexpr const char* kSourceProductName = "Zelmar Q71 Ethernet";
inline constexpr const char* kManagerLibraryName = "/twain_32.so";

class Twain {
public:
    // library: the DynamicLibrary the manager is loaded through (none: it never loads);
    // systemDir: where twain_32.so lives (empty: not found); pump: the window system's event
    // processing while a scan runs (none: the wait only sleeps).
    Twain(std::unique_ptr<DynamicLibrary> library, std::string systemDir, Clock& clock, MessagePump* pump);
    ~Twain();
    Twain(const Twain&) = delete;
    Twain& operator=(const Twain&) = delete;

    bool TwainLoadManager();
    void TwainUnloadManager();
    bool TwainOpenManager(TwainWindow window);
    bool TwainOpenSource();
    void TwainClose(TwainWindow window);
    void TwainCloseSession(TwainWindow window);

    // Capability values travel in one-value containers; codes are the 16-bit result codes, the
    // set's failures mapped from the source's condition code.
    twain::TW_UINT16 TwainGetCap(twain::TW_UINT16 capability, void* destination, twain::TW_UINT16 itemType);
    twain::TW_UINT16 TwainSetCap(twain::TW_UINT16 capability, const void* source, twain::TW_UINT16 itemType);
    int TwainReadCapabilities();
    void TwainDefaultSettings(ScanSettings& record) const;
    int TwainApplySettings(const ScanSettings& record);

    bool TwainEnableSource(TwainWindow window);
    int TwainCheckCapabilities(TwainWindow window);
    int TwainFeederLoaded(TwainWindow window);
    bool TwainSelectSource(TwainWindow window);
    // side non-zero: the front; 0: the rear. Empty when no image of that side arrived.
    DibHandle TwainGetImage(TwainWindow window, int side);
    void TwainPumpMessages();
    bool TwainProcessEvent(void* message);
    void TwainTransferImages();
    // The operator ends a running acquisition: its event loop stops at its next round and the
    // session is walked back to closed; no image is returned. Nothing happens between
    // acquisitions.
    void TwainAbortAcquisition() {
        if (pumping_) abortRequested_ = true;
    }
    bool Acquiring() const { return acquiring_; }
    // The last acquisition was ended by an abort or by closing the session under it.
    bool AcquisitionAborted() const { return abortRequested_; }
    // Why the last acquisition brought no image of its side, in words for the operator; empty
    // after one that did. The message box of an empty scan has one text for every cause.
    const std::string& AcquisitionFailure() const { return failure_; }

    // A triplet to the manager itself; 1 on success, else 0.
    int TwainManagerCall(twain::TW_UINT32 dg, twain::TW_UINT16 dat, twain::TW_UINT16 msg, void* data);
    // A triplet to the opened source: the result code.
    twain::TW_UINT16 SourceCall(twain::TW_UINT32 dg, twain::TW_UINT16 dat, twain::TW_UINT16 msg, void* data);

    bool ManagerLoaded() const { return entry_ != nullptr; }
    bool ManagerOpen() const { return managerOpen_; }
    bool SourceOpen() const { return sourceOpen_; }
    bool SourceEnabled() const { return sourceEnabled_; }
    bool SourceChosen() const { return sourceChosen_; }
    twain::TW_UINT16 LastResult() const { return lastResult_; }
    bool twainDuplex() const { return twainDuplex_; }
    const std::string& twainSerial() const { return twainSerial_; }
    bool DeviceOnline() const { return deviceOnline_; }
    const ScanSettings& SavedSettings() const { return saved_; }
    const ScanSettings& RequestedSettingsRecord() const { return requested_; }
    const twain::TW_IDENTITY& AppIdentity() const { return appIdentity_; }
    const twain::TW_IDENTITY& SourceIdentity() const { return sourceIdentity_; }

    // The application identity as this program presents itself to the manager.
    static twain::TW_IDENTITY ApplicationIdentity();

private:
    twain::TW_UINT16 ManagerEntry(twain::TW_IDENTITY* dest, twain::TW_UINT32 dg, twain::TW_UINT16 dat,
                                  twain::TW_UINT16 msg, void* data);
    twain::TW_UINT16 SetFailureCode();
    void DisableSource();
    void WaitForSource();

    std::unique_ptr<DynamicLibrary> library_;
    std::string systemDir_;
    Clock& clock_;
    MessagePump* pump_;
    twain::DSMENTRYPROC entry_ = nullptr;

    twain::TW_IDENTITY appIdentity_{};
    twain::TW_IDENTITY sourceIdentity_{};
    twain::TW_USERINTERFACE userInterface_{};
    TwainWindow parent_ = nullptr;
    twain::TW_UINT16 lastResult_ = twain::TWRC_FAILURE;
    bool managerOpen_ = false;
    bool sourceOpen_ = false;
    bool sourceEnabled_ = false;
    bool sourceChosen_ = false;
    bool acquiring_ = false;
    bool pumping_ = false;  // the event loop waits for the source
    bool abortRequested_ = false;
    std::string failure_;

    int side_ = 1;
    DibHandle resultImage_;
    bool closeRequested_ = false;

    bool twainDuplex_ = false;
    std::string twainSerial_;
    bool deviceOnline_ = false;
    ScanSettings saved_;
    ScanSettings requested_;
};

// The module that the exported TWAIN_DS / TWAIN_DS_RC address: the program's one Twain object.
// A module unregisters itself when it goes.
void SetProgramTwain(Twain* module);
Twain* ProgramTwain();

}  // namespace calvix

extern "C" {
// Triplets to the program's opened source with its application identity. TWAIN_DS: 1 when the
// result is success, else 0; TWAIN_DS_RC: the result code (failure when no module is there).
int TWAIN_DS(calvix::twain::TW_UINT32 dg, calvix::twain::TW_UINT16 dat, calvix::twain::TW_UINT16 msg, void* data);
calvix::twain::TW_UINT16 TWAIN_DS_RC(calvix::twain::TW_UINT32 dg, calvix::twain::TW_UINT16 dat,
                                     calvix::twain::TW_UINT16 msg, void* data);
}
