// The requested scan settings: the value column of the settings table as item bytes.
#include "scanner/TwainSettings.h"

#include <cstring>

namespace calvix {

namespace {

void PutNumber(std::array<std::uint8_t, kSettingBytes>& value, std::uint32_t number, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i) value[i] = static_cast<std::uint8_t>(number >> (8 * i));
}

}  // namespace

ScanSettings RequestedSettings(bool duplex) {
    // The value column of the table, row by row.
    static constexpr std::uint32_t kNumbers[kSettingRows] = {0, 0, 0, 0, 1, 0, 0, 0, 3, 1, 0, 0, 0,
                                                             0, 1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0};
    ScanSettings settings;
    for (std::size_t row = 0; row < kSettingRows; ++row) {
        auto& value = settings.values[row];
        const twain::TW_UINT16 type = kSettingsTable[row].itemType;
        if (type == twain::TWTY_FIX32) {
            const twain::TW_FIX32 fix = twain::ToFix32(kResolutionDpi);
            std::memcpy(value.data(), &fix, sizeof fix);
        } else if (type == twain::TWTY_STR64) {
            std::memcpy(value.data(), kPageEntry, std::strlen(kPageEntry));  // the rest stays zero
        } else {
            PutNumber(value, kNumbers[row], twain::ItemSize(type));
        }
    }
    PutNumber(settings.values[20], duplex ? 1 : 0, 2);
    settings.valid = true;
    return settings;
}

}  // namespace calvix
