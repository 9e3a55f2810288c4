// q71-scan's listing of what the source reported: one line per value, the settings table row
// by row with the capability's name, its item type and the value in readable form.
#include "ScanTool.h"

#include "scanner/Twain.h"

#include <cstring>

namespace calvix::scan {

using namespace twain;

namespace {

const char* CapabilityName(TW_UINT16 cap) {
    switch (cap) {
        case CAP_AUTOSCAN:
            return "CAP_AUTOSCAN";
        case ICAP_XRESOLUTION:
            return "ICAP_XRESOLUTION";
        case ICAP_YRESOLUTION:
            return "ICAP_YRESOLUTION";
        case CAP_DUPLEXENABLED:
            return "CAP_DUPLEXENABLED";
        default:
            return "custom";
    }
}

const char* TypeName(TW_UINT16 type) {
    switch (type) {
        case TWTY_BOOL:
            return "BOOL";
        case TWTY_UINT8:
            return "UINT8";
        case TWTY_UINT16:
            return "UINT16";
        case TWTY_FIX32:
            return "FIX32";
        case TWTY_STR64:
            return "STR64";
        default:
            return "?";
    }
}

void PrintValue(const std::uint8_t* bytes, TW_UINT16 type, std::FILE* out) {
    if (type == TWTY_STR64) {
        const char* text = reinterpret_cast<const char*>(bytes);
        std::fprintf(out, "\"%.*s\"", static_cast<int>(::strnlen(text, ItemSize(type))), text);
        return;
    }
    if (type == TWTY_FIX32) {
        TW_FIX32 fix;
        std::memcpy(&fix, bytes, sizeof fix);
        std::fprintf(out, "%.2f", FromFix32(fix));
        return;
    }
    std::uint32_t number = 0;
    // The table's numeric items are 1, 2 or 4 bytes.
    for (std::size_t i = 0; i < ItemSize(type); ++i) number |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    std::fprintf(out, "%u", number);
}

}  // namespace

void PrintCapabilities(const Twain& twain, std::FILE* out) {
    std::fprintf(out, "  online            %s\n", twain.DeviceOnline() ? "yes" : "no");
    std::fprintf(out, "  duplex            %s\n", twain.twainDuplex() ? "yes (one pass)" : "no (one side)");
    std::fprintf(out, "  serial            %s\n", twain.twainSerial().c_str());
    std::fprintf(out, "  settings as the source holds them (restored after the scan):\n");
    std::fprintf(out, "     #  capability                type    value\n");
    const ScanSettings& saved = twain.SavedSettings();
    for (std::size_t row = 0; row < kSettingRows; ++row) {
        const SettingRow& r = kSettingsTable[row];
        std::fprintf(out, "    %2zu  0x%04X %-18s %-7s ", row + 1, r.capability, CapabilityName(r.capability),
                     TypeName(r.itemType));
        if (RowApplies(r, twain.twainDuplex()))
            PrintValue(saved.values[row].data(), r.itemType, out);
        else
            std::fputs("(duplex only, not read)", out);
        std::fputc('\n', out);
    }
}

}  // namespace calvix::scan
