// Capability traffic of the TWAIN module: one-value containers in and out, the follow-up
// queries of a set that was not plainly accepted, and the settings table read and applied
// row by row.
#include "scanner/Twain.h"

#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace calvix {

using namespace twain;

namespace {

constexpr std::size_t kContainerHead = offsetof(TW_ONEVALUE, Item);

// The standard's condition codes of a refused set and the codes the caller gets for them.
struct ConditionMapping {
    TW_UINT16 condition;
    TW_UINT16 code;
};
constexpr ConditionMapping kConditionCodes[] = {
    {TWCC_BADCAP, 0xFFFB},         {TWCC_BADVALUE, 0xFFFD},        {TWCC_SEQERROR, 0xFFFC},    {TWCC_BADDEST, 0xFFFE},
    {TWCC_CAPUNSUPPORTED, 0xFFFA}, {TWCC_CAPBADOPERATION, 0xFFF9}, {TWCC_CAPSEQERROR, 0xFFFF},
};

}  // namespace

TW_UINT16 Twain::TwainGetCap(TW_UINT16 capability, void* destination, TW_UINT16 itemType) {
    const std::size_t itemSize = ItemSize(itemType);
    TW_CAPABILITY cap{capability, TWON_ONEVALUE, nullptr};
    const TW_UINT16 rc = SourceCall(DG_CONTROL, DAT_CAPABILITY, MSG_GETCURRENT, &cap);
    if (rc != TWRC_SUCCESS) return rc;
    // The container comes from the source: it must be a one-value container of an item of the
    // asked size, wholly inside its block, or nothing of it is read.
    auto* container = static_cast<const std::uint8_t*>(cap.hContainer);
    bool usable = container && cap.ConType == TWON_ONEVALUE && itemSize > 0 &&
                  ::malloc_usable_size(cap.hContainer) >= kContainerHead + itemSize;
    if (usable) {
        TW_UINT16 answeredType = 0;
        std::memcpy(&answeredType, container, sizeof answeredType);
        usable = ItemSize(answeredType) == itemSize;
    }
    if (usable) std::memcpy(destination, container + kContainerHead, itemSize);
    std::free(cap.hContainer);
    if (!usable) lastResult_ = TWRC_FAILURE;
    return lastResult_;
}

TW_UINT16 Twain::TwainSetCap(TW_UINT16 capability, const void* source, TW_UINT16 itemType) {
    const std::size_t itemSize = ItemSize(itemType);
    // Never shorter than the structure, so a source that reads Item whole stays inside.
    auto* container =
        static_cast<std::uint8_t*>(std::calloc(1, kContainerHead + std::max<std::size_t>(itemSize, sizeof(TW_UINT32))));
    if (!container || itemSize == 0) {
        std::free(container);
        lastResult_ = TWRC_FAILURE;
        return lastResult_;
    }
    std::memcpy(container, &itemType, sizeof itemType);
    std::memcpy(container + kContainerHead, source, itemSize);
    TW_CAPABILITY cap{capability, TWON_ONEVALUE, container};
    const TW_UINT16 rc = SourceCall(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap);
    std::free(container);

    if (rc == TWRC_CHECKSTATUS) {
        // The source took a value of its own choosing; the set counts when the capability can
        // be read back.
        TW_CAPABILITY query{capability, TWON_DONTCARE16, nullptr};
        const TW_UINT16 queried = SourceCall(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &query);
        if (queried == TWRC_SUCCESS) std::free(query.hContainer);
        return queried;
    }
    if (rc == TWRC_FAILURE) return SetFailureCode();
    return rc;
}

TW_UINT16 Twain::SetFailureCode() {
    TW_STATUS status{TWCC_BUMMER, 0};
    const TW_UINT16 rc = SourceCall(DG_CONTROL, DAT_STATUS, MSG_GET, &status);
    if (rc != TWRC_SUCCESS) return rc;
    for (const ConditionMapping& m : kConditionCodes)
        if (m.condition == status.ConditionCode) return m.code;
    // A refused set stays a failure whatever the source calls its reason; reporting the
    // status query's own success here would let the scan go on with a value never set.
    return TWRC_FAILURE;
}

int Twain::TwainReadCapabilities() {
    TW_BOOL online = 0;
    if (const TW_UINT16 rc = TwainGetCap(CAP_DEVICEONLINE, &online, TWTY_BOOL)) return rc;
    deviceOnline_ = online != 0;
    TW_UINT16 duplex = 0;
    if (const TW_UINT16 rc = TwainGetCap(CAP_DUPLEX, &duplex, TWTY_UINT16)) return rc;
    twainDuplex_ = duplex == TWDX_1PASSDUPLEX;
    char serial[256] = {};
    if (const TW_UINT16 rc = TwainGetCap(CAP_SERIALNUMBER, serial, TWTY_STR255)) return rc;
    twainSerial_.assign(serial, ::strnlen(serial, sizeof serial - 1));

    saved_ = ScanSettings{};
    for (std::size_t row = 0; row < kSettingRows; ++row) {
        const SettingRow& r = kSettingsTable[row];
        if (!RowApplies(r, twainDuplex_)) continue;
        if (const TW_UINT16 rc = TwainGetCap(r.capability, saved_.values[row].data(), r.itemType)) return rc;
    }
    saved_.valid = true;
    return 0;
}

void Twain::TwainDefaultSettings(ScanSettings& record) const { record = RequestedSettings(twainDuplex_); }

int Twain::TwainApplySettings(const ScanSettings& record) {
    if (!record.valid) return kSettingsInvalid;
    for (std::size_t row = 0; row < kSettingRows; ++row) {
        const SettingRow& r = kSettingsTable[row];
        if (!RowApplies(r, twainDuplex_)) continue;
        if (const TW_UINT16 rc = TwainSetCap(r.capability, record.values[row].data(), r.itemType)) return rc;
    }
    return 0;
}

}  // namespace calvix
