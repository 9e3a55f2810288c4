// The Q71 source's capability path without the connection: an application's TW_CAPABILITY
// turned into the device's CapRequest (the container checked, never read past its item), and
// the device's CapReply turned back into a one-value container for the application.
#pragma once

#include "ScanWire.h"
#include "TwainEmu.h"
#include "scanner/TwainTypes.h"

namespace calvix::twain {

// The item type the source knows a capability by; kUnknownItemType leaves the type to the
// device's answer.
inline constexpr TW_UINT16 kUnknownItemType = 0xFFFF;
TW_UINT16 KnownItemType(TW_UINT16 cap);

// Bytes of a one-value container for an item type: the item type field and the item, never
// less than the four-byte Item field of TW_ONEVALUE.
std::size_t OneValueBytes(TW_UINT16 itemType);

// Fills *request for msg (MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_RESET, MSG_SET or
// MSG_QUERYSUPPORT, which asks the device with MSG_GET). TWCC_SUCCESS, or the condition code
// that refuses the application's capability record or container.
TW_UINT16 PrepareCapRequest(TW_UINT16 msg, const TW_CAPABILITY& capability, const MemoryFunctions& memory,
                            wire::CapRequest* request);

// The application's answer to msg from the device's reply: the return code, *cc set, and for a
// reply carrying a value a new container in capability->hContainer (allocated with memory;
// the application releases it). MSG_SET answers without a container.
TW_UINT16 AnswerCapability(TW_UINT16 msg, const wire::CapReply& reply, const MemoryFunctions& memory,
                           TW_CAPABILITY* capability, TW_UINT16* cc);

}  // namespace calvix::twain
