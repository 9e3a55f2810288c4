// The state rules for triplets passed through to a source.
#include "SourceStates.h"

#include <cstring>

namespace calvix::twain {

namespace {

struct Rule {
    TW_UINT32 dg;
    TW_UINT16 dat;
    TW_UINT16 msg;
    int lowest;
    int highest;
};

// Capability values are negotiated in state 4 only; inquiries are allowed throughout.
// MSG_PROCESSEVENT is taken from state 4 on rather than 5: an application that routes every
// event through the manager while the source is merely open gets "not a source event", not an
// error.
constexpr Rule kRules[] = {
    {DG_CONTROL, DAT_CAPABILITY, MSG_GET, kStateOpen, kStateTransferring},
    {DG_CONTROL, DAT_CAPABILITY, MSG_GETCURRENT, kStateOpen, kStateTransferring},
    {DG_CONTROL, DAT_CAPABILITY, MSG_GETDEFAULT, kStateOpen, kStateTransferring},
    {DG_CONTROL, DAT_CAPABILITY, MSG_QUERYSUPPORT, kStateOpen, kStateTransferring},
    {DG_CONTROL, DAT_CAPABILITY, MSG_SET, kStateOpen, kStateOpen},
    {DG_CONTROL, DAT_CAPABILITY, MSG_RESET, kStateOpen, kStateOpen},
    {DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, kStateOpen, kStateOpen},
    {DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDSUIONLY, kStateOpen, kStateOpen},
    {DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, kStateEnabled, kStateEnabled},
    {DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, kStateOpen, kStateTransferring},
    {DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, kStateOpen, kStateTransferring},
    {DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, kStateXferReady, kStateTransferring},
    {DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, kStateXferReady, kStateXferReady},
    {DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, kStateXferReady, kStateXferReady},
    {DG_IMAGE, DAT_IMAGEINFO, MSG_GET, kStateXferReady, kStateTransferring},
};

}  // namespace

bool AllowedInState(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, int state) {
    for (const Rule& rule : kRules) {
        if (rule.dg == dg && rule.dat == dat && rule.msg == msg) return state >= rule.lowest && state <= rule.highest;
    }
    return true;
}

int StateAfter(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_UINT16 rc, const void* data, int state) {
    if (dg == DG_CONTROL && dat == DAT_USERINTERFACE) {
        if (msg == MSG_ENABLEDS && (rc == TWRC_SUCCESS || rc == TWRC_CHECKSTATUS)) return kStateEnabled;
        if (msg == MSG_DISABLEDS && rc == TWRC_SUCCESS) return kStateOpen;
        return state;
    }
    if (dg == DG_IMAGE && dat == DAT_IMAGENATIVEXFER && msg == MSG_GET) {
        // A cancelled transfer still has to be ended; a failed one leaves the image pending.
        return rc == TWRC_XFERDONE || rc == TWRC_CANCEL ? kStateTransferring : state;
    }
    if (dg == DG_CONTROL && dat == DAT_PENDINGXFERS && rc == TWRC_SUCCESS) {
        if (msg == MSG_RESET) return kStateEnabled;
        if (msg == MSG_ENDXFER) {
            if (!data) return state;
            TW_PENDINGXFERS pending;
            std::memcpy(&pending, data, sizeof pending);
            return pending.Count == 0 ? kStateEnabled : kStateXferReady;
        }
    }
    return state;
}

int StateAfterEvent(TW_UINT16 message, int state) {
    return message == MSG_XFERREADY && state == kStateEnabled ? kStateXferReady : state;
}

}  // namespace calvix::twain
