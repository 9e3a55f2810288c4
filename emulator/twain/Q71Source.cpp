// The Q71 source's triplets and its scan worker.
#include "Q71Source.h"

#include "CapabilityCodec.h"

namespace calvix::twain {

void Q71Source::FillIdentity(TW_IDENTITY* identity) {
    *identity = TW_IDENTITY{};
    identity->Version.MajorNum = 1;
    identity->Version.MinorNum = 0;
    identity->Version.Language = TWLG_GERMAN;
    identity->Version.Country = TWCY_GERMANY;
    CopyTwainString(identity->Version.Info, "Q71 Ethernet 1.0");
    identity->ProtocolMajor = 2;
    identity->ProtocolMinor = 4;
    identity->SupportedGroups = DG_CONTROL | DG_IMAGE | DF_DS2;
    CopyTwainString(identity->Manufacturer, "Zelmar GmbH");
    CopyTwainString(identity->ProductFamily, "Q71");
    CopyTwainString(identity->ProductName, "Zelmar Q71 Ethernet");
}

Q71Source::~Q71Source() {
    StopScan();
    DiscardFaces();
}

TW_UINT16 Q71Source::Fail(TW_UINT16 cc) {
    std::lock_guard lock(mutex_);
    condition_ = cc;
    return TWRC_FAILURE;
}

TW_UINT16 Q71Source::Entry(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    std::lock_guard call(callMutex_);
    if (dg == DG_CONTROL) return Control(origin, dat, msg, data);
    if (dg == DG_IMAGE && dat == DAT_IMAGENATIVEXFER && msg == MSG_GET) {
        return NativeTransfer(static_cast<TW_HANDLE*>(data));
    }
    // Memory and file transfers, image information and layout are not offered: the native
    // transfer is the one the product uses.
    return Fail(TWCC_BADPROTOCOL);
}

TW_UINT16 Q71Source::Control(TW_IDENTITY* origin, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    switch (dat) {
        case DAT_IDENTITY:
            if (!data) return Fail(TWCC_BADVALUE);
            if (msg == MSG_GET) {
                auto* identity = static_cast<TW_IDENTITY*>(data);
                FillIdentity(identity);
                identity->Id = self_.Id;
                return TWRC_SUCCESS;
            }
            if (msg == MSG_OPENDS) return Open(origin, static_cast<TW_IDENTITY*>(data));
            if (msg == MSG_CLOSEDS) return Close();
            break;
        case DAT_ENTRYPOINT:
            if (msg == MSG_SET) return SetEntryPoint(static_cast<const TW_ENTRYPOINT*>(data));
            break;
        case DAT_STATUS:
            if (msg != MSG_GET) break;
            if (!data) return Fail(TWCC_BADVALUE);
            {
                // Asking leaves the code in place; it belongs to the last other triplet.
                std::lock_guard lock(mutex_);
                static_cast<TW_STATUS*>(data)->ConditionCode = condition_;
                static_cast<TW_STATUS*>(data)->Data = 0;
            }
            return TWRC_SUCCESS;
        case DAT_EVENT:
            if (msg != MSG_PROCESSEVENT) break;
            if (!data) return Fail(TWCC_BADVALUE);
            // No window of its own: no event is ever the source's. The condition code stays, so
            // the reason behind a posted MSG_CLOSEDSREQ survives the event loop.
            static_cast<TW_EVENT*>(data)->TWMessage = MSG_NULL;
            return TWRC_NOTDSEVENT;
        case DAT_CAPABILITY:
            return Capability(msg, static_cast<TW_CAPABILITY*>(data));
        case DAT_USERINTERFACE:
            return UserInterface(msg, static_cast<const TW_USERINTERFACE*>(data));
        case DAT_PENDINGXFERS:
            return PendingTransfers(msg, static_cast<TW_PENDINGXFERS*>(data));
        default:
            break;
    }
    return Fail(TWCC_BADPROTOCOL);
}

TW_UINT16 Q71Source::SetEntryPoint(const TW_ENTRYPOINT* entry) {
    if (!entry || entry->Size < sizeof(TW_ENTRYPOINT) || !entry->DSM_Entry) return Fail(TWCC_BADVALUE);
    {
        std::lock_guard lock(mutex_);
        // Handles of a running session must be released by the functions that made them.
        if (state_ != kClosed) {
            condition_ = TWCC_SEQERROR;
            return TWRC_FAILURE;
        }
    }
    manager_ = entry->DSM_Entry;
    memory_ = MemoryFunctions{};
    if (entry->DSM_MemAllocate && entry->DSM_MemFree && entry->DSM_MemLock && entry->DSM_MemUnlock) {
        memory_ = MemoryFunctions{entry->DSM_MemAllocate, entry->DSM_MemFree, entry->DSM_MemLock, entry->DSM_MemUnlock};
    }
    std::lock_guard lock(mutex_);
    condition_ = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}

TW_UINT16 Q71Source::Open(const TW_IDENTITY* origin, TW_IDENTITY* identity) {
    {
        std::lock_guard lock(mutex_);
        if (state_ != kClosed) {
            // One application at a time: the device has one feeder.
            condition_ = TWCC_MAXCONNECTIONS;
            return TWRC_FAILURE;
        }
    }
    if (!origin) return Fail(TWCC_BADPROTOCOL);
    const TW_UINT16 cc = link_.Open();
    if (cc != TWCC_SUCCESS) return Fail(cc);
    FillIdentity(&self_);
    self_.Id = identity->Id;
    application_ = *origin;
    std::lock_guard lock(mutex_);
    state_ = kStateOpen;
    condition_ = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}

TW_UINT16 Q71Source::Close() {
    {
        std::lock_guard lock(mutex_);
        if (state_ != kStateOpen) {
            condition_ = TWCC_SEQERROR;
            return TWRC_FAILURE;
        }
    }
    StopScan();
    DiscardFaces();
    link_.Close();
    std::lock_guard lock(mutex_);
    state_ = kClosed;
    condition_ = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}

TW_UINT16 Q71Source::Capability(TW_UINT16 msg, TW_CAPABILITY* capability) {
    if (!capability) return Fail(TWCC_BADVALUE);
    {
        std::lock_guard lock(mutex_);
        const bool negotiates = msg == MSG_SET || msg == MSG_RESET;
        // While the sheet feeds the connection carries the scan; a capability request then
        // would have to wait for the whole sheet, so it is refused instead.
        if (state_ == kClosed || (negotiates && state_ != kStateOpen) || scanning_) {
            condition_ = TWCC_SEQERROR;
            return TWRC_FAILURE;
        }
    }
    wire::CapRequest request;
    const TW_UINT16 refused = PrepareCapRequest(msg, *capability, memory_, &request);
    if (refused != TWCC_SUCCESS) return Fail(refused);
    wire::CapReply reply;
    const ScanLink::Outcome outcome = link_.Capability(request, &reply);
    if (outcome == ScanLink::Outcome::Lost) return Fail(TWCC_CHECKDEVICEONLINE);
    if (outcome != ScanLink::Outcome::Ok) return Fail(TWCC_OPERATIONERROR);
    TW_UINT16 cc = TWCC_SUCCESS;
    const TW_UINT16 rc = AnswerCapability(msg, reply, memory_, capability, &cc);
    std::lock_guard lock(mutex_);
    condition_ = cc;
    return rc;
}

TW_UINT16 Q71Source::UserInterface(TW_UINT16 msg, const TW_USERINTERFACE* ui) {
    if (msg != MSG_ENABLEDS && msg != MSG_DISABLEDS && msg != MSG_ENABLEDSUIONLY) return Fail(TWCC_BADPROTOCOL);
    if (!ui) return Fail(TWCC_BADVALUE);
    {
        std::lock_guard lock(mutex_);
        const bool allowed =
            msg == MSG_DISABLEDS ? state_ == kStateEnabled || state_ == kStateXferReady : state_ == kStateOpen;
        if (!allowed) {
            condition_ = TWCC_SEQERROR;
            return TWRC_FAILURE;
        }
    }
    if (msg == MSG_DISABLEDS) {
        // Also from state 6: the application may not yet have seen the MSG_XFERREADY that the
        // worker posted, so the images it never asked for are dropped with the session.
        StopScan();
        DiscardFaces();
        std::lock_guard lock(mutex_);
        state_ = kStateOpen;
        condition_ = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    }
    // No user interface exists: a scan without one is all this source offers.
    if (msg == MSG_ENABLEDSUIONLY || ui->ShowUI) return Fail(TWCC_BADVALUE);
    if (!manager_) return Fail(TWCC_OPERATIONERROR);  // nobody to tell when the images are in
    StopScan();
    DiscardFaces();
    {
        std::lock_guard lock(mutex_);
        state_ = kStateEnabled;
        scanning_ = true;
        cancelled_ = false;
        condition_ = TWCC_SUCCESS;
    }
    worker_ = std::thread(&Q71Source::RunScan, this);
    return TWRC_SUCCESS;
}

void Q71Source::RunScan() {
    ScanReceiver receiver(memory_);
    const ScanLink::Outcome outcome = link_.Scan(receiver);
    TW_UINT16 message = MSG_CLOSEDSREQ;
    {
        std::lock_guard lock(mutex_);
        scanning_ = false;
        if (cancelled_) return;
        const wire::ScanDone& done = receiver.Done();
        if (outcome == ScanLink::Outcome::Ok && done.rc == TWRC_SUCCESS) {
            faces_ = receiver.TakeFaces();
            next_ = 0;
        }
        if (!faces_.empty()) {
            state_ = kStateXferReady;
            message = MSG_XFERREADY;
        } else if (outcome == ScanLink::Outcome::Ok) {
            // A scan that ended well without a single face has nothing to transfer either.
            condition_ = done.rc != TWRC_SUCCESS && done.cc != TWCC_SUCCESS ? done.cc : TWCC_OPERATIONERROR;
        } else if (outcome == ScanLink::Outcome::Lost) {
            condition_ = TWCC_CHECKDEVICEONLINE;
        } else {
            condition_ = receiver.OutOfMemory() ? TWCC_LOWMEMORY : TWCC_OPERATIONERROR;
        }
    }
    manager_(&self_, &application_, DG_CONTROL, DAT_NULL, message, nullptr);
}

void Q71Source::StopScan() {
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    link_.Cancel();
    if (worker_.joinable()) worker_.join();
    link_.ClearCancel();
    std::lock_guard lock(mutex_);
    scanning_ = false;
}

void Q71Source::DiscardFaces() {
    std::lock_guard lock(mutex_);
    for (ReceivedFace& face : faces_) {
        if (face.dib) memory_.release(face.dib);
    }
    faces_.clear();
    next_ = 0;
}

TW_UINT16 Q71Source::Remaining() const {
    return state_ >= kStateXferReady ? static_cast<TW_UINT16>(faces_.size() - next_) : 0;
}

TW_UINT16 Q71Source::PendingTransfers(TW_UINT16 msg, TW_PENDINGXFERS* pending) {
    if (msg != MSG_GET && msg != MSG_ENDXFER && msg != MSG_RESET) return Fail(TWCC_BADPROTOCOL);
    if (!pending) return Fail(TWCC_BADVALUE);
    std::lock_guard lock(mutex_);
    const bool allowed = msg == MSG_GET     ? state_ != kClosed
                         : msg == MSG_RESET ? state_ == kStateXferReady
                                            : state_ == kStateXferReady || state_ == kStateTransferring;
    if (!allowed) {
        condition_ = TWCC_SEQERROR;
        return TWRC_FAILURE;
    }
    if (msg == MSG_ENDXFER && next_ < faces_.size()) {
        // A handle the application never took goes with the transfer it belonged to.
        if (faces_[next_].dib) memory_.release(faces_[next_].dib);
        faces_[next_].dib = nullptr;
        ++next_;
    }
    if (msg == MSG_RESET) {
        for (ReceivedFace& face : faces_) {
            if (face.dib) memory_.release(face.dib);
        }
        faces_.clear();
        next_ = 0;
    }
    if (msg != MSG_GET) {
        state_ = next_ < faces_.size() ? kStateXferReady : kStateEnabled;
        if (state_ == kStateEnabled) {
            faces_.clear();
            next_ = 0;
        }
    }
    pending->Count = Remaining();
    pending->EOJ = 0;
    condition_ = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}

TW_UINT16 Q71Source::NativeTransfer(TW_HANDLE* handle) {
    std::lock_guard lock(mutex_);
    if (state_ != kStateXferReady || next_ >= faces_.size()) {
        condition_ = TWCC_SEQERROR;
        return TWRC_FAILURE;
    }
    if (!handle) {
        condition_ = TWCC_BADVALUE;
        return TWRC_FAILURE;
    }
    ReceivedFace& face = faces_[next_];
    switch (face.header.disposition) {
        case wire::ImageDisposition::Deliver:
            *handle = face.dib;
            face.dib = nullptr;  // the application's now
            state_ = kStateTransferring;
            condition_ = TWCC_SUCCESS;
            return TWRC_XFERDONE;
        case wire::ImageDisposition::Cancel:
            state_ = kStateTransferring;
            condition_ = TWCC_SUCCESS;
            return TWRC_CANCEL;
        case wire::ImageDisposition::Fail:
            break;
    }
    condition_ = TWCC_OPERATIONERROR;
    return TWRC_FAILURE;
}

}  // namespace calvix::twain
