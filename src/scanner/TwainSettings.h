// The fixed scan settings of an acquisition: the 25 capability rows in the order they are read
// and set, the record that holds one value per row, and the values this program asks for.
#pragma once

#include "scanner/TwainTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace calvix {

struct SettingRow {
    twain::TW_UINT16 capability;
    twain::TW_UINT16 itemType;
    bool duplexOnly;  // read and set only when the source scans both sides in one pass
};

inline constexpr std::size_t kSettingRows = 25;
// The largest item of the table (STR64).
inline constexpr std::size_t kSettingBytes = 66;

inline constexpr std::array<SettingRow, kSettingRows> kSettingsTable{{
    {twain::CAP_AUTOSCAN, twain::TWTY_BOOL, false},
    {twain::ICAP_XRESOLUTION, twain::TWTY_FIX32, false},
    {twain::ICAP_YRESOLUTION, twain::TWTY_FIX32, false},
    {0x812C, twain::TWTY_STR64, false},
    {0x812D, twain::TWTY_BOOL, false},
    {0x8136, twain::TWTY_UINT16, false},
    {0x8145, twain::TWTY_BOOL, false},
    {0x814A, twain::TWTY_UINT8, false},
    {0x815E, twain::TWTY_UINT8, false},
    {0x816A, twain::TWTY_UINT8, false},
    {0x8154, twain::TWTY_BOOL, false},
    {0x8168, twain::TWTY_BOOL, false},
    {0x8169, twain::TWTY_BOOL, false},
    {0x8186, twain::TWTY_UINT8, false},
    {0x8137, twain::TWTY_BOOL, false},
    {0x8064, twain::TWTY_UINT8, false},
    {0x8083, twain::TWTY_BOOL, false},
    {0x8084, twain::TWTY_UINT16, false},
    {0x80AA, twain::TWTY_BOOL, false},
    {0x81CC, twain::TWTY_UINT8, false},
    {twain::CAP_DUPLEXENABLED, twain::TWTY_BOOL, false},
    {0x80C8, twain::TWTY_UINT8, true},
    {0x80E7, twain::TWTY_BOOL, true},
    {0x80E8, twain::TWTY_UINT16, true},
    {0x810E, twain::TWTY_BOOL, true},
}};

// The A5 page of row 4: width and height in tenths of a millimetre, then its display name.
inline constexpr const char* kPageEntry = "0148002100ISO A5 - 148.0 x 210.0 mm";
inline constexpr double kResolutionDpi = 400.0;

// One value per row, as the item's bytes in the container (little-endian, strings zero-padded).
struct ScanSettings {
    std::array<std::array<std::uint8_t, kSettingBytes>, kSettingRows> values{};
    bool valid = false;
};

// Whether a row takes part for a source of this kind.
constexpr bool RowApplies(const SettingRow& row, bool duplex) { return duplex || !row.duplexOnly; }

// The requested values; row 21 (duplex enabled) follows the source's duplex ability.
ScanSettings RequestedSettings(bool duplex);

}  // namespace calvix
