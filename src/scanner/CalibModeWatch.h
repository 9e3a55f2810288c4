// Whether the calibration mode a run entered still holds, looked at before and after each of
// its scans. The scanner sits on the network and other hosts may calibrate it too; the service
// lock of this machine reaches none of them, so when another run leaves calibration mode (or
// leaves and enters it) while this one scans, this run's scans come through the scanner's own
// table and must not become a LUT.
#pragma once

#include <optional>
#include <string>

namespace calvix {

class CEthernetCmd;

enum class CalibModeCheck {
    Holds,        // lamps on, the bypass on for every side, switched by no one since the first look
    Lost,         // the mode is off, changed, or the scanner does not report it
    Unreachable,  // no service connection, or no answer to the parameter request
};

class CalibModeWatch {
public:
    // Asks the scanner for its parameters (get_params: LAMPS, BYPASS_F, BYPASS_R when duplex,
    // MODE_CHANGES, the count of mode switches). The first look that finds the mode on takes
    // the count; any later count must equal it. Once lost, the mode stays lost for the run.
    CalibModeCheck Check(CEthernetCmd& ethernet, bool duplex);
    CalibModeCheck Last() const { return last_; }
    // Why the last look did not find the mode holding; empty when it did.
    const std::string& Reason() const { return reason_; }

private:
    CalibModeCheck Look(CEthernetCmd& ethernet, bool duplex);

    std::optional<unsigned long> changes_;
    CalibModeCheck last_ = CalibModeCheck::Holds;
    std::string reason_;
};

}  // namespace calvix
