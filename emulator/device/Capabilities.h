// The emulated Q71's TWAIN capabilities as its data source reaches them over the scan
// connection: the read-only facts (online, duplex, serial, paper present) and the settings the
// host sets before a scan and restores after it. Values live with the device, not with a
// connection, and start from the device's own power-on values.
#pragma once

#include "ScanWire.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace calvix::device {

// Capability sets the device plays wrong on purpose.
struct CapFaults {
    std::vector<std::pair<std::uint16_t, std::uint16_t>> refuse;  // capability, condition code
    std::vector<std::uint16_t> checkStatus;  // stored, but answered with TWRC_CHECKSTATUS
};

// What the device is at the moment of a request.
struct DeviceFacts {
    bool duplex = true;
    bool feederLoaded = false;
    std::string serial;
};

class CapabilityTable {
public:
    CapabilityTable();

    // One request in, the device's answer out; a set or reset changes the stored value.
    wire::CapReply Handle(const wire::CapRequest& request, const DeviceFacts& facts, const CapFaults& faults);

    // The value in force as item bytes (empty for a capability the table does not hold).
    std::string Current(std::uint16_t cap) const;

    // "cap_0xNNNN=value" lines of every settable capability the model has, for the state report.
    std::string Text(bool duplex) const;

    // The four settings a simplex model lacks.
    static bool DuplexOnly(std::uint16_t cap);

private:
    struct Row {
        std::uint16_t cap;
        std::uint16_t itemType;
        std::string start;    // item bytes at power-on and after MSG_RESET
        std::string current;  // item bytes in force
    };

    Row* Find(std::uint16_t cap);
    const Row* Find(std::uint16_t cap) const;

    std::vector<Row> rows_;
};

// Item bytes of a value, little-endian as in the one-value container.
std::string ItemBytes(std::uint16_t itemType, std::uint32_t value);
std::string Fix32Bytes(double value);
std::string StringItem(std::uint16_t itemType, std::string_view text);

// Printable form of an item for logs and the state report.
std::string ItemText(std::uint16_t itemType, const std::string& item);

}  // namespace calvix::device
