// The emulated Q71's state that outlives a connection: its model (serial number, duplex, light
// source), lamps, the correction-table bypass per side and the stored calibration LUT. The
// daemon and a TWAIN data source share it through its state file; transport lives elsewhere.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace calvix::device {

inline constexpr std::size_t kLutModuleLength = 6227;
inline constexpr std::uint32_t kLutModuleKind = 5;
// SF parameter bit that tells an LED light source.
inline constexpr std::uint32_t kSfLedBit = 0x200000;
// SF bits of the model apart from the light source (scanner features the host does not read).
inline constexpr std::uint32_t kSfBaseFeatures = 0x000013;

enum class Side { Front = 0, Rear = 1 };

struct DeviceModel {
    std::string serial = "Q71-000123";
    bool duplex = true;
    bool led = false;
    // When not empty, replaces the generated text of the parameter reply line (after its
    // status, code and separator), so odd parameter sets can be played.
    std::string paramsText;
};

// Which check of an uploaded LUT module failed; the number is the device's result word.
enum class LutCheck : std::uint32_t {
    Ok = 0,
    WrongKind = 1,
    WrongLength = 2,
    BadLeadByte = 3,      // byte 0 must be 1
    BadLengthField = 4,   // bytes 1-2 must hold 6227
    BadEntriesField = 5,  // bytes 3-4 must hold 1024
    BadFormatByte = 6,    // byte 5 must be 1
    BadSides = 7,         // byte 6 must be 1 or 2
};

LutCheck CheckLutModule(std::uint32_t kind, std::span<const std::uint8_t> module);

class DeviceState {
public:
    DeviceModel model;
    bool lamps = false;
    bool lutBypass[2] = {false, false};
    // Counts every change of the lamps or of a side's bypass. The parameter reply carries it,
    // so a host that calibrates can tell whether anyone switched the calibration mode between
    // two of its looks, even when the mode is back as it was: the scanner is shared over the
    // network and no host lock reaches the others.
    std::uint32_t modeChanges = 0;
    std::vector<std::uint8_t> lut;  // empty until a module was stored, else kLutModuleLength bytes
    // Lines of the state file this version does not know, kept as read and written back, so a
    // state file of a newer emulator loses nothing here.
    std::vector<std::pair<std::string, std::string>> otherKeys;

    std::uint32_t SfValue() const { return kSfBaseFeatures | (model.led ? kSfLedBit : 0u); }
    // Text of the second get_params reply line (after "A000 ").
    std::string ParamsText() const;

    // The state file text: "key=value" lines; the LUT as hexadecimal digits; every value in a
    // form that Parse reads back to the same value.
    std::string Serialise() const;
    // Reads what it recognises from text and keeps defaults for the rest; returns false when a
    // line was malformed (the good lines still apply), error naming the first such line.
    bool Parse(std::string_view text, std::string* error = nullptr);

    // Loads the state file; a missing file leaves the defaults and counts as success. Anything
    // else that cannot be read whole (not a regular file, too large, a malformed line) fails
    // with the file and line named, so the caller never overwrites a state it could not read.
    bool Load(const std::string& path, std::string* error);
    // Writes the state file by temporary file and rename, so a crash keeps the old state whole.
    bool Save(const std::string& path, std::string* error) const;
};

}  // namespace calvix::device
