// A scripted data source for the manager's tests. Its product name is "Fake " and its file
// name up to the first dot, so copies of one library under different names are different
// sources. Tests reach a copy's controls by loading the same file.
#include "TwainEmu.h"

#include <dlfcn.h>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

using namespace calvix::twain;

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using Triplet = std::tuple<TW_UINT32, TW_UINT16, TW_UINT16>;

std::mutex guard;
std::map<Triplet, TW_UINT16> answers;  // return codes other than success
std::string calls;                     // "dg/dat/msg " for every triplet received
TW_UINT16 condition = TWCC_SUCCESS;
TW_UINT16 pendingCount = 0;
TW_UINT16 eventMessage = MSG_NULL;  // answered as the source's own event when set
TW_ENTRYPOINT entryPoint{};
TW_IDENTITY self{};
TW_IDENTITY application{};

void FillIdentity(TW_IDENTITY* identity);

}  // namespace

FAKE_EXPORT TW_UINT16 DS_Entry(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    std::lock_guard lock(guard);
    calls += std::to_string(dg) + "/" + std::to_string(dat) + "/" + std::to_string(msg) + " ";
    if (dg == DG_CONTROL && dat == DAT_IDENTITY && msg == MSG_GET) {
        FillIdentity(static_cast<TW_IDENTITY*>(data));
        return TWRC_SUCCESS;
    }
    if (dg == DG_CONTROL && dat == DAT_ENTRYPOINT && msg == MSG_SET) {
        std::memcpy(&entryPoint, data, sizeof entryPoint);
        return TWRC_SUCCESS;
    }
    if (dg == DG_CONTROL && dat == DAT_STATUS && msg == MSG_GET) {
        static_cast<TW_STATUS*>(data)->ConditionCode = condition;
        return TWRC_SUCCESS;
    }
    if (dg == DG_CONTROL && dat == DAT_IDENTITY && msg == MSG_OPENDS) {
        self = *static_cast<TW_IDENTITY*>(data);
        application = *origin;
    }
    if (dg == DG_CONTROL && dat == DAT_PENDINGXFERS && data) static_cast<TW_PENDINGXFERS*>(data)->Count = pendingCount;
    const auto answer = answers.find({dg, dat, msg});
    if (dg == DG_CONTROL && dat == DAT_EVENT && msg == MSG_PROCESSEVENT && answer == answers.end()) {
        static_cast<TW_EVENT*>(data)->TWMessage = eventMessage;
        return eventMessage == MSG_NULL ? TWRC_NOTDSEVENT : TWRC_DSEVENT;
    }
    return answer == answers.end() ? TWRC_SUCCESS : answer->second;
}

// Scripts the return code of a triplet; condition is what DAT_STATUS reports afterwards.
FAKE_EXPORT void FakeSource_Answer(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_UINT16 rc, TW_UINT16 cc) {
    std::lock_guard lock(guard);
    answers[{dg, dat, msg}] = rc;
    condition = cc;
}

FAKE_EXPORT void FakeSource_SetPending(TW_UINT16 count) {
    std::lock_guard lock(guard);
    pendingCount = count;
}

FAKE_EXPORT void FakeSource_SetOwnEvent(TW_UINT16 message) {
    std::lock_guard lock(guard);
    eventMessage = message;
}

// Posts a message to the manager the way a source's worker does; the manager's answer.
FAKE_EXPORT TW_UINT16 FakeSource_Post(TW_UINT16 message) {
    DSMENTRYPROC entry;
    TW_IDENTITY from, to;
    {
        std::lock_guard lock(guard);
        entry = entryPoint.DSM_Entry;
        from = self;
        to = application;
    }
    return entry ? entry(&from, &to, DG_CONTROL, DAT_NULL, message, nullptr) : TWRC_FAILURE;
}

// The triplets received so far, cleared by the call.
FAKE_EXPORT void FakeSource_TakeCalls(char* buffer, std::size_t size) {
    std::lock_guard lock(guard);
    std::snprintf(buffer, size, "%s", calls.c_str());
    calls.clear();
}

FAKE_EXPORT void FakeSource_Reset() {
    std::lock_guard lock(guard);
    answers.clear();
    calls.clear();
    condition = TWCC_SUCCESS;
    pendingCount = 0;
    eventMessage = MSG_NULL;
}

namespace {

void FillIdentity(TW_IDENTITY* identity) {
    *identity = TW_IDENTITY{};
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&DS_Entry), &info);
    std::string name = info.dli_fname ? info.dli_fname : "unknown";
    name = name.substr(name.rfind('/') + 1);
    name = "Fake " + name.substr(0, name.find('.'));
    CopyTwainString(identity->ProductName, name.c_str());
    CopyTwainString(identity->Manufacturer, "Test");
    CopyTwainString(identity->ProductFamily, "Fake");
    identity->SupportedGroups = DG_CONTROL | DG_IMAGE | DF_DS2;
}

}  // namespace
