// The acquisition of the TWAIN module: enabling the source without its dialog, the event loop
// that waits for the source's transfer while the window system keeps running, and the native
// transfer into two image slots, front first.
#include "scanner/Twain.h"

#include "app/Clock.h"
#include "app/FormStatus.h"
#include "scanner/MessagePump.h"

#include <string>
#include <utility>

namespace calvix {

using namespace twain;

namespace {

constexpr const char* kUnit = "Twain";
// More rounds than any sheet has sides: a source that keeps cancelling while it still counts
// pending transfers cannot hold the loop.
constexpr int kMaxTransferRounds = 16;

}  // namespace

bool Twain::TwainEnableSource(TwainWindow window) {
    userInterface_ = TW_USERINTERFACE{0, 0, window};
    if (SourceCall(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &userInterface_) == TWRC_FAILURE) return false;
    sourceEnabled_ = true;
    return true;
}

DibHandle Twain::TwainGetImage(TwainWindow window, int side) {
    // The event loop lets the window system run, and with it whatever could start another
    // acquisition; one at a time, and the running one keeps its state.
    if (acquiring_) {
        CALVIX_LOG_ERR(kUnit, "TWAIN: an acquisition is already running", LogErr);
        failure_ = "an acquisition is already running";
        return {};
    }
    failure_.clear();
    resultImage_.Release();
    side_ = side;
    abortRequested_ = false;
    if (!TwainOpenManager(window)) {
        failure_ = "the TWAIN manager could not be opened";
        return {};
    }
    acquiring_ = true;
    if (!TwainOpenSource()) {
        failure_ = "the scanner's TWAIN source could not be opened";
    } else if (TwainReadCapabilities() != 0) {
        failure_ = "the source's capabilities could not be read";
    } else {
        TwainDefaultSettings(requested_);
        if (TwainApplySettings(requested_) != 0)
            failure_ = "the source refused the scan settings";
        else if (!TwainEnableSource(window))
            failure_ = "the source could not be enabled";
        else
            TwainPumpMessages();
    }
    TwainCloseSession(window);
    acquiring_ = false;
    // An image that came in with the abort is not what the operator still wants.
    if (abortRequested_) {
        resultImage_.Release();
        failure_ = "the scan was aborted";
    }
    if (!resultImage_.Empty()) failure_.clear();
    else if (failure_.empty()) failure_ = "the source closed without a transfer";
    return std::move(resultImage_);
}

void Twain::TwainPumpMessages() {
    pumping_ = true;
    WaitForSource();
    pumping_ = false;
}

void Twain::WaitForSource() {
    closeRequested_ = false;
    resultImage_.Release();
    // There is no window message to hand over on this desktop: the source's messages wait in
    // the manager's queue. A zeroed stand-in is passed so that nothing can take the event
    // pointer for a missing argument.
    std::uint8_t noWindowMessage[32] = {};
    const std::int64_t start = clock_.ElapsedMs();
    for (;;) {
        if (abortRequested_) {
            LogStatus("TWAIN: acquisition aborted");
            return;
        }
        TwainProcessEvent(noWindowMessage);
        if (closeRequested_ || !resultImage_.Empty()) return;
        if (lastResult_ == TWRC_FAILURE) {
            // The manager refuses to look for events, so none will come (the source is no
            // longer enabled, or the manager went away meanwhile).
            CALVIX_LOG_ERR(kUnit, "TWAIN: event query refused, acquisition ended", LogErr);
            failure_ = "the TWAIN manager refused to pass on the source's events";
            return;
        }
        if (clock_.ElapsedMs() - start >= kTwainEventLimitMs) {
            CALVIX_LOG_ERR(kUnit,
                           LogWriter.Printf("TWAIN: no transfer from the source within %lld s, acquisition ended",
                                            static_cast<long long>(kTwainEventLimitMs / 1000)),
                           LogErr);
            failure_ = "no transfer from the source within " + std::to_string(kTwainEventLimitMs / 1000) + " s";
            return;
        }
        if (pump_) {
            if (!pump_->ProcessEvents(kTwainPumpWaitMs)) {
                LogStatus("TWAIN: application quits, acquisition ended");
                failure_ = "the program was asked to quit";
                return;
            }
        } else {
            clock_.SleepMs(kTwainPumpWaitMs);
        }
    }
}

bool Twain::TwainProcessEvent(void* message) {
    TW_EVENT event{message, MSG_NULL};
    if (SourceCall(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event) != TWRC_DSEVENT) return false;
    switch (event.TWMessage) {
        case MSG_XFERREADY:
            TwainTransferImages();
            closeRequested_ = true;
            break;
        case MSG_CLOSEDSREQ:
            closeRequested_ = true;
            break;
        default:
            break;
    }
    return true;
}

void Twain::TwainTransferImages() {
    DibHandle slots[2];
    TW_UINT16 results[2] = {TWRC_FAILURE, TWRC_FAILURE};
    int index = 0;
    TW_PENDINGXFERS pending{};
    for (int round = 0; round < kMaxTransferRounds; ++round) {
        TW_HANDLE handle = nullptr;
        const TW_UINT16 rc = SourceCall(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle);
        if (rc == TWRC_XFERDONE) slots[index] = DibHandle::Adopt(handle);
        results[index] = rc;
        // Each transfer is one side of the sheet, also a cancelled one: the side after it must
        // not move into its slot, or a rear image would be taken for the front.
        ++index;
        // A refused end leaves the count at 0, which ends the loop.
        pending = TW_PENDINGXFERS{};
        SourceCall(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
        if (index == 2 && pending.Count != 0) {
            SourceCall(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
            pending.Count = 0;
        }
        if (pending.Count == 0 || index == 2) break;
    }
    if (pending.Count != 0) SourceCall(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
    // The slot not asked for is released as its handle goes out of scope.
    const int wanted = side_ != 0 ? 0 : 1;
    resultImage_ = std::move(slots[wanted]);
    const char* sideName = wanted == 0 ? "front" : "rear";
    if (wanted >= index)
        failure_ = std::string("the source sent no ") + sideName + " image";
    else if (results[wanted] == TWRC_CANCEL)
        failure_ = std::string("the source cancelled the ") + sideName + " transfer";
    else if (resultImage_.Empty())
        failure_ = std::string("the ") + sideName + " transfer failed";
}

}  // namespace calvix
