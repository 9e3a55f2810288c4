// Capability records between the application's containers and the device's wire form.
#include "CapabilityCodec.h"

#include <bit>
#include <cstring>

namespace calvix::twain {

// Items travel as their in-memory bytes; the wire is little-endian.
static_assert(std::endian::native == std::endian::little);

namespace {

struct KnownCap {
    TW_UINT16 cap;
    TW_UINT16 itemType;
};

// The standard's capabilities the Q71 reports, and the maker's own that the product sets.
constexpr KnownCap kKnownCaps[] = {
    {CAP_XFERCOUNT, TWTY_INT16},
    {CAP_FEEDERENABLED, TWTY_BOOL},
    {CAP_FEEDERLOADED, TWTY_BOOL},
    {CAP_AUTOFEED, TWTY_BOOL},
    {CAP_DEVICEONLINE, TWTY_BOOL},
    {CAP_AUTOSCAN, TWTY_BOOL},
    {CAP_DUPLEX, TWTY_UINT16},
    {CAP_DUPLEXENABLED, TWTY_BOOL},
    {CAP_SERIALNUMBER, TWTY_STR255},
    {ICAP_COMPRESSION, TWTY_UINT16},
    {ICAP_PIXELTYPE, TWTY_UINT16},
    {ICAP_UNITS, TWTY_UINT16},
    {ICAP_XFERMECH, TWTY_UINT16},
    {ICAP_XRESOLUTION, TWTY_FIX32},
    {ICAP_YRESOLUTION, TWTY_FIX32},
    {ICAP_BITDEPTH, TWTY_UINT16},
    {0x812C, TWTY_STR64},
    {0x812D, TWTY_BOOL},
    {0x8136, TWTY_UINT16},
    {0x8145, TWTY_BOOL},
    {0x814A, TWTY_UINT8},
    {0x815E, TWTY_UINT8},
    {0x816A, TWTY_UINT8},
    {0x8154, TWTY_BOOL},
    {0x8168, TWTY_BOOL},
    {0x8169, TWTY_BOOL},
    {0x8186, TWTY_UINT8},
    {0x8137, TWTY_BOOL},
    {0x8064, TWTY_UINT8},
    {0x8083, TWTY_BOOL},
    {0x8084, TWTY_UINT16},
    {0x80AA, TWTY_BOOL},
    {0x81CC, TWTY_UINT8},
    {0x80C8, TWTY_UINT8},
    {0x80E7, TWTY_BOOL},
    {0x80E8, TWTY_UINT16},
    {0x810E, TWTY_BOOL},
};

// A container whose length nobody can tell is taken to hold what its item type says.
constexpr std::size_t kUnknownLength = static_cast<std::size_t>(-1);

bool IsString(TW_UINT16 itemType) {
    return itemType == TWTY_STR32 || itemType == TWTY_STR64 || itemType == TWTY_STR128 || itemType == TWTY_STR255;
}

}  // namespace

TW_UINT16 KnownItemType(TW_UINT16 cap) {
    for (const KnownCap& known : kKnownCaps) {
        if (known.cap == cap) return known.itemType;
    }
    return kUnknownItemType;
}

std::size_t OneValueBytes(TW_UINT16 itemType) {
    const std::size_t size = ItemSize(itemType);
    return sizeof(TW_UINT16) + (size < sizeof(TW_UINT32) ? sizeof(TW_UINT32) : size);
}

TW_UINT16 PrepareCapRequest(TW_UINT16 msg, const TW_CAPABILITY& capability, const MemoryFunctions& memory,
                            wire::CapRequest* request) {
    request->cap = capability.Cap;
    request->message = msg == MSG_QUERYSUPPORT ? MSG_GET : msg;
    request->itemType = KnownItemType(capability.Cap);
    request->item.clear();
    switch (msg) {
        case MSG_GET:
        case MSG_GETCURRENT:
        case MSG_GETDEFAULT:
        case MSG_RESET:
        case MSG_QUERYSUPPORT:
            // The source allocates the answer's container; whatever the application put in
            // hContainer is not read.
            return TWCC_SUCCESS;
        case MSG_SET:
            break;
        default:
            return TWCC_BADPROTOCOL;
    }
    if (capability.ConType != TWON_ONEVALUE) return TWCC_BADVALUE;
    if (!capability.hContainer) return TWCC_BADVALUE;
    const auto* bytes = static_cast<const unsigned char*>(memory.lock(capability.hContainer));
    if (!bytes) return TWCC_BADVALUE;
    // The container's own length, where it can be known: nothing is read past it, not even
    // the item type.
    const std::size_t held = bytes == capability.hContainer && memory.size ? memory.size(capability.hContainer)
                                                                           : kUnknownLength;
    TW_UINT16 itemType = 0;
    if (held >= sizeof itemType) std::memcpy(&itemType, bytes, sizeof itemType);
    const std::size_t size = held >= sizeof itemType ? ItemSize(itemType) : 0;
    const TW_UINT16 ownType = KnownItemType(capability.Cap);
    TW_UINT16 cc = TWCC_SUCCESS;
    if (size == 0 || itemType == TWTY_HANDLE) {
        // A handle means nothing to a device on the other end of a connection.
        cc = TWCC_BADVALUE;
    } else if ((ownType != kUnknownItemType && itemType != ownType) || held - sizeof itemType < size) {
        // A container that claims another type than the capability's own, or more bytes than
        // it holds, would be read past its end.
        cc = TWCC_BADVALUE;
    } else {
        const char* item = reinterpret_cast<const char*>(bytes + sizeof itemType);
        if (IsString(itemType) && std::memchr(item, '\0', size) == nullptr) {
            cc = TWCC_BADVALUE;
        } else {
            request->itemType = itemType;
            request->item.assign(item, size);
        }
    }
    memory.unlock(capability.hContainer);
    return cc;
}

TW_UINT16 AnswerCapability(TW_UINT16 msg, const wire::CapReply& reply, const MemoryFunctions& memory,
                           TW_CAPABILITY* capability, TW_UINT16* cc) {
    // A failure always carries a reason (one without would leave the application guessing);
    // anything else leaves none behind.
    *cc = TWCC_SUCCESS;
    if (reply.rc == TWRC_FAILURE) {
        *cc = reply.cc == TWCC_SUCCESS ? TWCC_BUMMER : reply.cc;
        return TWRC_FAILURE;
    }
    if (reply.rc != TWRC_SUCCESS && reply.rc != TWRC_CHECKSTATUS) {
        *cc = TWCC_OPERATIONERROR;
        return TWRC_FAILURE;
    }
    if (msg == MSG_SET) return reply.rc;

    TW_UINT16 itemType = reply.itemType;
    std::string item = reply.item;
    if (msg == MSG_QUERYSUPPORT) {
        // The device answers every request for a capability it knows.
        const TW_INT32 support = TWQC_GET | TWQC_SET | TWQC_GETDEFAULT | TWQC_GETCURRENT | TWQC_RESET;
        itemType = TWTY_INT32;
        item.assign(reinterpret_cast<const char*>(&support), sizeof support);
    }
    const std::size_t size = ItemSize(itemType);
    if (size == 0 || item.size() != size) {
        *cc = TWCC_OPERATIONERROR;
        return TWRC_FAILURE;
    }
    const std::size_t bytes = OneValueBytes(itemType);
    TW_HANDLE handle = memory.allocate(static_cast<TW_UINT32>(bytes));
    auto* container = handle ? static_cast<unsigned char*>(memory.lock(handle)) : nullptr;
    if (!container) {
        if (handle) memory.release(handle);
        *cc = TWCC_LOWMEMORY;
        return TWRC_FAILURE;
    }
    std::memset(container, 0, bytes);
    std::memcpy(container, &itemType, sizeof itemType);
    std::memcpy(container + sizeof itemType, item.data(), size);
    memory.unlock(handle);
    capability->ConType = TWON_ONEVALUE;
    capability->hContainer = handle;
    return reply.rc;
}

}  // namespace calvix::twain
