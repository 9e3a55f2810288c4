// The standard's session states of an open source (4 opened, 5 enabled, 6 transfer ready,
// 7 transferring) as the manager tracks them from the triplets it passes through, and which
// triplets each state admits.
#pragma once

#include "scanner/TwainTypes.h"

namespace calvix::twain {

inline constexpr int kStateOpen = 4;
inline constexpr int kStateEnabled = 5;
inline constexpr int kStateXferReady = 6;
inline constexpr int kStateTransferring = 7;

// Whether a triplet addressed to an open source is allowed in state; triplets the manager has
// no rule for are left to the source.
bool AllowedInState(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, int state);

// The state after the source answered rc; data is the triplet's data as the source left it.
int StateAfter(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_UINT16 rc, const void* data, int state);

// The state after the application received a message the source posted.
int StateAfterEvent(TW_UINT16 message, int state);

}  // namespace calvix::twain
