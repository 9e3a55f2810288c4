// The emulated Q71's scan side, free of sockets: its feeder, its capability table and the scan
// itself. Scan connections ask capabilities and scans, the control connection loads sheets;
// all of them share this one object, as they share the one device.
#pragma once

#include "Capabilities.h"
#include "DeviceState.h"
#include "Feeder.h"
#include "OpticsTruth.h"
#include "Scenario.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calvix::emulator {

class ScanSide {
public:
    using LogFunction = std::function<void(const std::string&)>;

    // Loads the scenario's sheets into the feeder.
    ScanSide(device::DeviceState& state, const Scenario& scenario);

    // A CapRequest payload in, the CapReply frame out.
    std::string Capability(std::string_view payload, const LogFunction& log);
    // Appends the frames that answer a scan request, one part per face delivered (its
    // ImageHeader and ImageData frames) and a last part with ScanDone; parts of the size of one
    // face keep every buffer to that size. Rendering takes about a tenth of a second per face and
    // runs in the caller's thread; the single-threaded server accepts that pause for its other
    // clients.
    void Scan(std::vector<std::string>* parts, const LogFunction& log);
    // A control request (a sheet line, "list" or "clear") in, the result text out: "A000 OK",
    // "A000 <n> sheets" with one line per sheet for a list, or "E0nn <reason>".
    std::string Control(std::string_view text, const LogFunction& log);

    // Capability values and feeder contents, for the state report.
    std::string ReportText() const;

    device::Feeder& Feeder() { return feeder_; }
    device::CapabilityTable& Capabilities() { return caps_; }
    // Test and fuzz hook: a smaller page renders faster; the device scans A5 at 400 dpi, and no
    // page larger than that is taken (MaxScanBytes bounds it).
    void SetPageSize(int width, int height);

    // Most bytes one scan answer can take: two faces of the largest image.
    static std::uint64_t MaxScanBytes();

    static constexpr std::uint16_t kDpi = 400;

private:
    device::DeviceFacts Facts() const;
    // The face's truth file in the scenario's truth folder: scan<NNNN>_front.json, _rear.json,
    // numbered on from the files already there.
    void WriteTruth(const RenderTruth& truth, std::uint8_t face, const LogFunction& log) const;

    device::DeviceState& state_;
    const Scenario& scenario_;
    device::Feeder feeder_;
    device::CapabilityTable caps_;
    std::uint32_t scans_ = 0;
    // The highest scan number among the truth files there before this run's first scan.
    std::optional<std::uint32_t> truthBase_;
    int pageWidth_ = RenderOptions{}.pageWidth;
    int pageHeight_ = RenderOptions{}.pageHeight;
};

}  // namespace calvix::emulator
