// The manager's triplets, the pass-through to the open sources, and the event queues.
#include "SourceManager.h"

#include "SourceStates.h"
#include "TwainEmu.h"

#include <cstring>

namespace calvix::twain {

SourceManager::SourceManager(DSMENTRYPROC self, std::function<std::string()> systemDir)
    : self_(self), systemDir_(std::move(systemDir)) {}

SourceManager::~SourceManager() {
    std::lock_guard lock(apiMutex_);
    ShutDown();
}

TW_UINT16 SourceManager::Fail(TW_UINT16 cc) {
    condition_ = cc;
    return TWRC_FAILURE;
}

TW_UINT16 SourceManager::Entry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                               TW_MEMREF data) {
    // Sources post from their own threads, possibly while an application call is inside the
    // same source: this path must not wait for the application lock.
    if (dg == DG_CONTROL && dat == DAT_NULL) return Post(origin, msg);

    std::lock_guard lock(apiMutex_);
    if (!origin) return Fail(TWCC_BADPROTOCOL);
    if (open_ && origin->Id != 0 && origin->Id != application_.Id) return Fail(TWCC_BADPROTOCOL);
    const bool managerTriplet =
        dg == DG_CONTROL && (dat == DAT_PARENT || dat == DAT_ENTRYPOINT || (dat == DAT_IDENTITY && msg != MSG_GET));
    if (managerTriplet || !dest) {
        if (dg != DG_CONTROL) return Fail(TWCC_BADPROTOCOL);
        return ManagerTriplet(origin, dat, msg, data);
    }
    if (!open_) return Fail(TWCC_SEQERROR);
    Source* source = FindById(dest->Id);
    if (!source || source->state == kClosed) return Fail(TWCC_BADDEST);
    return SourceTriplet(*source, dg, dat, msg, data);
}

SourceManager::Source* SourceManager::FindById(TW_UINT32 id) {
    for (Source& source : sources_) {
        if (source.catalog.identity.Id == id) return &source;
    }
    return nullptr;
}

TW_UINT16 SourceManager::ManagerTriplet(TW_IDENTITY* origin, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    switch (dat) {
        case DAT_PARENT:
            if (msg == MSG_OPENDSM) return OpenManager(origin);
            if (msg == MSG_CLOSEDSM) return CloseManager();
            break;
        case DAT_IDENTITY:
            if (!open_) return Fail(TWCC_SEQERROR);
            if (!data) return Fail(TWCC_BADVALUE);
            return Identity(msg, static_cast<TW_IDENTITY*>(data));
        case DAT_STATUS:
            if (msg != MSG_GET) break;
            if (!data) return Fail(TWCC_BADVALUE);
            // Reading the status leaves it in place: it belongs to the last other triplet.
            static_cast<TW_STATUS*>(data)->ConditionCode = condition_;
            static_cast<TW_STATUS*>(data)->Data = 0;
            return TWRC_SUCCESS;
        case DAT_ENTRYPOINT:
            if (msg != MSG_GET) break;
            if (!open_) return Fail(TWCC_SEQERROR);
            if (!data) return Fail(TWCC_BADVALUE);
            {
                // The caller says how large its record is; one too small for every field is
                // refused rather than written past.
                TW_UINT32 size = 0;
                std::memcpy(&size, data, sizeof size);
                if (size < sizeof(TW_ENTRYPOINT)) return Fail(TWCC_BADVALUE);
                TW_ENTRYPOINT entry{sizeof(TW_ENTRYPOINT), self_,          DefaultMemAllocate,
                                    DefaultMemFree,        DefaultMemLock, DefaultMemUnlock};
                std::memcpy(data, &entry, sizeof entry);
            }
            condition_ = TWCC_SUCCESS;
            return TWRC_SUCCESS;
        default:
            break;
    }
    return Fail(TWCC_BADPROTOCOL);
}

TW_UINT16 SourceManager::OpenManager(TW_IDENTITY* origin) {
    if (open_) return Fail(TWCC_SEQERROR);
    origin->Id = kApplicationId;
    origin->SupportedGroups |= DF_DSM2;
    application_ = *origin;
    std::vector<CatalogEntry> found = LoadSources(systemDir_(), &application_, kFirstSourceId);
    {
        std::lock_guard lock(eventMutex_);
        sources_.clear();
        for (CatalogEntry& entry : found) {
            Source source;
            source.catalog = entry;
            sources_.push_back(std::move(source));
        }
    }
    open_ = true;
    enumerating_ = false;
    condition_ = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}

TW_UINT16 SourceManager::CloseManager() {
    if (!open_) return Fail(TWCC_SEQERROR);
    for (const Source& source : sources_) {
        if (source.state != kClosed) return Fail(TWCC_SEQERROR);
    }
    ShutDown();
    condition_ = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}

void SourceManager::ShutDown() {
    for (Source& source : sources_) {
        // Walk an abandoned session down the standard's way, so every source stops its work
        // before its library goes.
        auto call = [&](TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
            const TW_UINT16 rc = source.catalog.entry(&application_, DG_CONTROL, dat, msg, data);
            source.state = StateAfter(DG_CONTROL, dat, msg, rc, data, source.state);
        };
        TW_PENDINGXFERS pending{};
        if (source.state == kStateTransferring) call(DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
        if (source.state == kStateXferReady) call(DAT_PENDINGXFERS, MSG_RESET, &pending);
        TW_USERINTERFACE ui{};
        if (source.state >= kStateEnabled) call(DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
        if (source.state != kClosed) {
            TW_IDENTITY identity = source.catalog.identity;
            source.catalog.entry(&application_, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity);
            source.state = kClosed;
        }
    }
    std::vector<CatalogEntry> unload;
    {
        std::lock_guard lock(eventMutex_);
        for (Source& source : sources_) unload.push_back(source.catalog);
        sources_.clear();
    }
    UnloadSources(unload);
    open_ = false;
    enumerating_ = false;
}

TW_UINT16 SourceManager::Identity(TW_UINT16 msg, TW_IDENTITY* identity) {
    switch (msg) {
        case MSG_GETFIRST:
            enumerating_ = true;
            cursor_ = 0;
            [[fallthrough]];
        case MSG_GETNEXT:
            if (!enumerating_) return Fail(TWCC_SEQERROR);
            condition_ = TWCC_SUCCESS;
            if (cursor_ >= sources_.size()) return TWRC_ENDOFLIST;
            *identity = sources_[cursor_++].catalog.identity;
            return TWRC_SUCCESS;
        case MSG_GETDEFAULT:
        case MSG_USERSELECT:
            // No selection dialog exists here: the choice is always the default, the first source
            // found, which is also the only choice when a single source is installed.
            if (sources_.empty()) return Fail(TWCC_NODS);
            *identity = sources_.front().catalog.identity;
            condition_ = TWCC_SUCCESS;
            return TWRC_SUCCESS;
        case MSG_OPENDS:
            return OpenSource(identity);
        case MSG_CLOSEDS:
            return CloseSource(identity);
        default:
            return Fail(TWCC_BADPROTOCOL);
    }
}

TW_UINT16 SourceManager::OpenSource(TW_IDENTITY* identity) {
    if (sources_.empty()) return Fail(TWCC_NODS);
    Source* chosen = nullptr;
    if (TwainStringLength(identity->ProductName) > 0) {
        for (Source& source : sources_) {
            if (std::strncmp(source.catalog.identity.ProductName, identity->ProductName, sizeof(TW_STR32)) == 0) {
                chosen = &source;
                break;
            }
        }
    } else if (identity->Id != 0) {
        chosen = FindById(identity->Id);
    } else {
        chosen = &sources_.front();
    }
    if (!chosen) return Fail(TWCC_NODS);
    if (chosen->state != kClosed) return Fail(TWCC_SEQERROR);

    CatalogEntry& catalog = chosen->catalog;
    if (catalog.identity.SupportedGroups & DF_DS2) {
        TW_ENTRYPOINT entry{sizeof(TW_ENTRYPOINT), self_,          DefaultMemAllocate,
                            DefaultMemFree,        DefaultMemLock, DefaultMemUnlock};
        catalog.entry(&application_, DG_CONTROL, DAT_ENTRYPOINT, MSG_SET, &entry);
    }
    SetAccepting(*chosen, true);
    TW_IDENTITY opened = catalog.identity;
    const TW_UINT16 rc = catalog.entry(&application_, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &opened);
    if (rc != TWRC_SUCCESS) {
        SetAccepting(*chosen, false);
        // The source knows why it could not open; its reason becomes the manager's.
        TW_STATUS status{};
        const bool known = catalog.entry(&application_, DG_CONTROL, DAT_STATUS, MSG_GET, &status) == TWRC_SUCCESS;
        condition_ = known && status.ConditionCode != TWCC_SUCCESS ? status.ConditionCode : TWCC_BUMMER;
        return rc;
    }
    chosen->state = kStateOpen;
    chosen->refusal = TWCC_SUCCESS;
    *identity = catalog.identity;
    condition_ = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}

TW_UINT16 SourceManager::CloseSource(TW_IDENTITY* identity) {
    Source* source = FindById(identity->Id);
    if (!source) return Fail(TWCC_NODS);
    if (source->state != kStateOpen) return Fail(TWCC_SEQERROR);
    TW_IDENTITY closing = source->catalog.identity;
    const TW_UINT16 rc = source->catalog.entry(&application_, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &closing);
    if (rc != TWRC_SUCCESS) {
        TW_STATUS status{};
        source->catalog.entry(&application_, DG_CONTROL, DAT_STATUS, MSG_GET, &status);
        condition_ = status.ConditionCode != TWCC_SUCCESS ? status.ConditionCode : TWCC_BUMMER;
        return rc;
    }
    source->state = kClosed;
    SetAccepting(*source, false);
    condition_ = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}

void SourceManager::SetAccepting(Source& source, bool accepting) {
    std::lock_guard lock(eventMutex_);
    source.accepting = accepting;
    source.events.clear();
}

TW_UINT16 SourceManager::SourceTriplet(Source& source, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    if (dg == DG_CONTROL && dat == DAT_STATUS && msg == MSG_GET && source.refusal != TWCC_SUCCESS) {
        if (!data) return Fail(TWCC_BADVALUE);
        static_cast<TW_STATUS*>(data)->ConditionCode = ConditionOf(source);
        static_cast<TW_STATUS*>(data)->Data = 0;
        return TWRC_SUCCESS;
    }
    if (dg == DG_CONTROL && (dat == DAT_CALLBACK || dat == DAT_CALLBACK2)) {
        // Without callbacks the application learns of source messages through
        // MSG_PROCESSEVENT only.
        source.refusal = TWCC_BADPROTOCOL;
        return Fail(TWCC_BADPROTOCOL);
    }
    if (!AllowedInState(dg, dat, msg, source.state)) {
        source.refusal = TWCC_SEQERROR;
        return Fail(TWCC_SEQERROR);
    }
    if (dg == DG_CONTROL && dat == DAT_EVENT && msg == MSG_PROCESSEVENT) {
        if (!data) {
            source.refusal = TWCC_BADVALUE;
            return Fail(TWCC_BADVALUE);
        }
        return ProcessEvent(source, static_cast<TW_EVENT*>(data));
    }
    source.refusal = TWCC_SUCCESS;
    const TW_UINT16 rc = source.catalog.entry(&application_, dg, dat, msg, data);
    const int before = source.state;
    source.state = StateAfter(dg, dat, msg, rc, data, source.state);
    if (before >= kStateEnabled && source.state == kStateOpen) {
        // Messages of a session that has ended mean nothing to the next one.
        SetAccepting(source, true);
    }
    return rc;
}

TW_UINT16 SourceManager::ConditionOf(Source& source) {
    const TW_UINT16 cc = source.refusal;
    source.refusal = TWCC_SUCCESS;
    return cc;
}

TW_UINT16 SourceManager::ProcessEvent(Source& source, TW_EVENT* event) {
    source.refusal = TWCC_SUCCESS;
    event->TWMessage = MSG_NULL;
    // The source sees the event first, as a source with a window of its own would need.
    if (source.catalog.entry(&application_, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, event) == TWRC_DSEVENT) {
        source.state = StateAfterEvent(event->TWMessage, source.state);
        return TWRC_DSEVENT;
    }
    TW_UINT16 message = MSG_NULL;
    {
        std::lock_guard lock(eventMutex_);
        if (!source.events.empty()) {
            message = source.events.front();
            source.events.pop_front();
        }
    }
    event->TWMessage = message;
    if (message == MSG_NULL) return TWRC_NOTDSEVENT;
    source.state = StateAfterEvent(message, source.state);
    return TWRC_DSEVENT;
}

TW_UINT16 SourceManager::Post(const TW_IDENTITY* origin, TW_UINT16 msg) {
    if (!origin) return TWRC_FAILURE;
    if (msg != MSG_XFERREADY && msg != MSG_CLOSEDSREQ && msg != MSG_CLOSEDSOK && msg != MSG_DEVICEEVENT) {
        return TWRC_FAILURE;
    }
    std::lock_guard lock(eventMutex_);
    for (Source& source : sources_) {
        if (source.catalog.identity.Id != origin->Id) continue;
        if (!source.accepting || source.events.size() >= kMaxQueuedMessages) return TWRC_FAILURE;
        source.events.push_back(msg);
        return TWRC_SUCCESS;
    }
    return TWRC_FAILURE;
}

}  // namespace calvix::twain
