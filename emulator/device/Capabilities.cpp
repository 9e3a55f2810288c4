// The capability table of the emulated Q71. Power-on values differ from what the calibration
// host asks for (300 dpi, an A4 page, flags the other way round), so a test sees whether the
// host put the device's own values back after a scan.
#include "Capabilities.h"

#include "ValueText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace calvix::device {

namespace {

using namespace twain;

constexpr double kMinResolution = 50.0;
constexpr double kMaxResolution = 1200.0;

wire::CapReply Failure(std::uint16_t itemType, std::uint16_t condition) {
    return wire::CapReply{TWRC_FAILURE, condition, itemType, {}};
}

wire::CapReply Value(std::uint16_t rc, std::uint16_t itemType, std::string item) {
    return wire::CapReply{rc, TWCC_SUCCESS, itemType, std::move(item)};
}

std::uint32_t LittleEndian(const std::string& item) {
    std::uint32_t value = 0;
    for (std::size_t i = item.size(); i-- > 0;) value = (value << 8) | static_cast<unsigned char>(item[i]);
    return value;
}

double Fix32Value(const std::string& item) {
    const std::uint32_t raw = LittleEndian(item);
    const auto whole = static_cast<std::int16_t>(raw & 0xFFFF);
    return whole + static_cast<double>(raw >> 16) / 65536.0;
}

// Whether a value of the right type is one the device can take.
bool Acceptable(std::uint16_t cap, std::uint16_t itemType, const std::string& item, bool duplex) {
    switch (itemType) {
    case TWTY_BOOL:
        if (LittleEndian(item) > 1) return false;
        // A simplex model has nothing to enable.
        return !(cap == CAP_DUPLEXENABLED && !duplex && LittleEndian(item) == 1);
    case TWTY_FIX32:
        if (cap == ICAP_XRESOLUTION || cap == ICAP_YRESOLUTION) {
            const double dpi = Fix32Value(item);
            return dpi >= kMinResolution && dpi <= kMaxResolution;
        }
        return true;
    case TWTY_STR32:
    case TWTY_STR64:
    case TWTY_STR128:
    case TWTY_STR255:
        return item.find('\0') != std::string::npos;
    default:
        return true;
    }
}

bool Listed(const std::vector<std::uint16_t>& caps, std::uint16_t cap) {
    return std::find(caps.begin(), caps.end(), cap) != caps.end();
}

}  // namespace

std::string ItemBytes(std::uint16_t itemType, std::uint32_t value) {
    std::string item(ItemSize(itemType), '\0');
    for (std::size_t i = 0; i < item.size() && i < 4; ++i) item[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return item;
}

std::string Fix32Bytes(double value) {
    const TW_FIX32 fix = ToFix32(value);
    return ItemBytes(TWTY_FIX32, static_cast<std::uint16_t>(fix.Whole) | (static_cast<std::uint32_t>(fix.Frac) << 16));
}

std::string StringItem(std::uint16_t itemType, std::string_view text) {
    std::string item(ItemSize(itemType), '\0');
    std::memcpy(item.data(), text.data(), std::min(text.size(), item.size() - 1));
    return item;
}

std::string ItemText(std::uint16_t itemType, const std::string& item) {
    char text[32];
    switch (itemType) {
    case TWTY_INT8: return std::to_string(static_cast<std::int8_t>(LittleEndian(item)));
    case TWTY_INT16: return std::to_string(static_cast<std::int16_t>(LittleEndian(item)));
    case TWTY_INT32: return std::to_string(static_cast<std::int32_t>(LittleEndian(item)));
    case TWTY_UINT8:
    case TWTY_UINT16:
    case TWTY_UINT32:
    case TWTY_BOOL: return std::to_string(LittleEndian(item));
    case TWTY_FIX32: {
        // Five decimals tell every 1/65536 step apart.
        std::snprintf(text, sizeof text, "%.5f", Fix32Value(item));
        std::string number = text;
        while (number.back() == '0') number.pop_back();
        if (number.back() == '.') number.pop_back();
        return number;
    }
    case TWTY_STR32:
    case TWTY_STR64:
    case TWTY_STR128:
    case TWTY_STR255: return QuoteValue(std::string_view(item.data(), std::min(item.find('\0'), item.size())));
    default: {
        std::string hex;
        for (unsigned char c : item) {
            std::snprintf(text, sizeof text, "%02x", c);
            hex += text;
        }
        return hex;
    }
    }
}

CapabilityTable::CapabilityTable() {
    auto add = [this](std::uint16_t cap, std::uint16_t type, std::string start) {
        rows_.push_back(Row{cap, type, start, start});
    };
    auto number = [&add](std::uint16_t cap, std::uint16_t type, std::uint32_t start) {
        add(cap, type, ItemBytes(type, start));
    };
    number(CAP_AUTOSCAN, TWTY_BOOL, 1);
    add(ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bytes(300.0));
    add(ICAP_YRESOLUTION, TWTY_FIX32, Fix32Bytes(300.0));
    add(0x812C, TWTY_STR64, StringItem(TWTY_STR64, "0210002970ISO A4 - 210.0 x 297.0 mm"));
    number(0x812D, TWTY_BOOL, 0);
    number(0x8136, TWTY_UINT16, 1);
    number(0x8145, TWTY_BOOL, 1);
    number(0x814A, TWTY_UINT8, 1);
    number(0x815E, TWTY_UINT8, 0);
    number(0x816A, TWTY_UINT8, 0);
    number(0x8154, TWTY_BOOL, 1);
    number(0x8168, TWTY_BOOL, 1);
    number(0x8169, TWTY_BOOL, 1);
    number(0x8186, TWTY_UINT8, 2);
    number(0x8137, TWTY_BOOL, 0);
    number(0x8064, TWTY_UINT8, 0);
    number(0x8083, TWTY_BOOL, 1);
    number(0x8084, TWTY_UINT16, 100);
    number(0x80AA, TWTY_BOOL, 1);
    number(0x81CC, TWTY_UINT8, 1);
    number(CAP_DUPLEXENABLED, TWTY_BOOL, 0);
    number(0x80C8, TWTY_UINT8, 0);
    number(0x80E7, TWTY_BOOL, 1);
    number(0x80E8, TWTY_UINT16, 1);
    number(0x810E, TWTY_BOOL, 1);
}

bool CapabilityTable::DuplexOnly(std::uint16_t cap) {
    return cap == 0x80C8 || cap == 0x80E7 || cap == 0x80E8 || cap == 0x810E;
}

CapabilityTable::Row* CapabilityTable::Find(std::uint16_t cap) {
    for (Row& row : rows_)
        if (row.cap == cap) return &row;
    return nullptr;
}

const CapabilityTable::Row* CapabilityTable::Find(std::uint16_t cap) const {
    return const_cast<CapabilityTable*>(this)->Find(cap);
}

std::string CapabilityTable::Current(std::uint16_t cap) const {
    const Row* row = Find(cap);
    return row ? row->current : std::string();
}

wire::CapReply CapabilityTable::Handle(const wire::CapRequest& request, const DeviceFacts& facts,
                                       const CapFaults& faults) {
    const std::uint16_t msg = request.message;
    const bool reading = msg == MSG_GET || msg == MSG_GETCURRENT || msg == MSG_GETDEFAULT;

    // The facts of the machine: read, never set.
    std::uint16_t factType = 0;
    std::string fact;
    if (request.cap == CAP_DEVICEONLINE || request.cap == CAP_FEEDERLOADED) {
        factType = TWTY_BOOL;
        fact = ItemBytes(TWTY_BOOL, request.cap == CAP_DEVICEONLINE || facts.feederLoaded ? 1 : 0);
    } else if (request.cap == CAP_DUPLEX) {
        factType = TWTY_UINT16;
        fact = ItemBytes(TWTY_UINT16, facts.duplex ? TWDX_1PASSDUPLEX : TWDX_NONE);
    } else if (request.cap == CAP_SERIALNUMBER) {
        factType = TWTY_STR255;
        fact = StringItem(TWTY_STR255, facts.serial);
    }
    if (factType != 0) {
        if (!reading) return Failure(request.itemType, TWCC_CAPBADOPERATION);
        return Value(TWRC_SUCCESS, factType, fact);
    }

    Row* row = Find(request.cap);
    if (!row || (DuplexOnly(request.cap) && !facts.duplex)) return Failure(request.itemType, TWCC_CAPUNSUPPORTED);
    if (msg == MSG_GET || msg == MSG_GETCURRENT) return Value(TWRC_SUCCESS, row->itemType, row->current);
    if (msg == MSG_GETDEFAULT) return Value(TWRC_SUCCESS, row->itemType, row->start);
    if (msg == MSG_RESET) {
        row->current = row->start;
        return Value(TWRC_SUCCESS, row->itemType, row->current);
    }
    if (msg != MSG_SET) return Failure(request.itemType, TWCC_CAPBADOPERATION);

    if (request.itemType != row->itemType || request.item.size() != ItemSize(row->itemType) ||
        !Acceptable(row->cap, row->itemType, request.item, facts.duplex)) {
        return Failure(request.itemType, TWCC_BADVALUE);
    }
    for (const auto& [cap, condition] : faults.refuse)
        if (cap == request.cap) return Failure(request.itemType, condition);
    row->current = request.item;
    return Value(Listed(faults.checkStatus, request.cap) ? TWRC_CHECKSTATUS : TWRC_SUCCESS, row->itemType, row->current);
}

std::string CapabilityTable::Text(bool duplex) const {
    std::string text;
    char key[24];
    for (const Row& row : rows_) {
        if (DuplexOnly(row.cap) && !duplex) continue;
        std::snprintf(key, sizeof key, "cap_0x%04X=", row.cap);
        text += key + ItemText(row.itemType, row.current) + "\n";
    }
    return text;
}

}  // namespace calvix::device
