// Capability requests, scans and the operator's sheets on the emulated Q71.
#include "ScanSide.h"

#include "ScanImaging.h"
#include "ServiceSession.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace calvix::emulator {

namespace {

std::string CapLine(const char* direction, const wire::CapRequest& request) {
    char text[96];
    std::snprintf(text, sizeof text, "%s cap 0x%04X msg 0x%04X type %u", direction, request.cap, request.message,
                  request.itemType);
    std::string line = text;
    if (!request.item.empty()) line += " value " + device::ItemText(request.itemType, request.item);
    return line;
}

const char* DispositionName(wire::ImageDisposition disposition) {
    switch (disposition) {
    case wire::ImageDisposition::Deliver: return "deliver";
    case wire::ImageDisposition::Fail: return "fail";
    case wire::ImageDisposition::Cancel: return "cancel";
    }
    return "?";
}

// The highest scan number of the truth files in folder ("scan<N>_front.json", "_rear.json"),
// 0 when there is none: a restarted emulator numbers on from it rather than over the files of
// its earlier runs.
std::uint32_t LastTruthScan(const std::string& folder) {
    std::uint32_t last = 0;
    if (folder.empty()) return last;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::size_t digits = name.find_first_not_of("0123456789", 4);
        if (name.rfind("scan", 0) != 0 || digits == 4 || digits == std::string::npos || digits - 4 > 9) continue;
        const std::string rest = name.substr(digits);
        if (rest != "_front.json" && rest != "_rear.json") continue;
        last = std::max(last, static_cast<std::uint32_t>(std::stoul(name.substr(4, digits - 4))));
    }
    return last;
}

}  // namespace

ScanSide::ScanSide(device::DeviceState& state, const Scenario& scenario) : state_(state), scenario_(scenario) {
    for (const device::Sheet& sheet : scenario.feeds) feeder_.Add(sheet);
}

void ScanSide::SetPageSize(int width, int height) {
    const RenderOptions a5;
    pageWidth_ = std::clamp(width, 1, a5.pageWidth);
    pageHeight_ = std::clamp(height, 1, a5.pageHeight);
}

std::uint64_t ScanSide::MaxScanBytes() {
    const RenderOptions page;
    return 2 * device::FramedImageBytes(static_cast<std::uint32_t>(page.pageWidth),
                                        static_cast<std::uint32_t>(page.pageHeight), 32) +
           64;
}

device::DeviceFacts ScanSide::Facts() const {
    return device::DeviceFacts{state_.model.duplex, feeder_.Loaded(), state_.model.serial};
}

std::string ScanSide::Capability(std::string_view payload, const LogFunction& log) {
    const std::optional<wire::CapRequest> request = wire::DecodeCapRequest(payload);
    wire::CapReply reply;
    if (!request) {
        // Framed correctly but not a request this device can read: its value does not fit its type.
        log("<- malformed capability request of " + std::to_string(payload.size()) + " bytes");
        reply = wire::CapReply{twain::TWRC_FAILURE, twain::TWCC_BADVALUE, 0, {}};
    } else {
        log(CapLine("<-", *request));
        reply = caps_.Handle(*request, Facts(), scenario_.capFaults);
    }
    char text[64];
    std::snprintf(text, sizeof text, "-> cap rc %u cc %u", reply.rc, reply.cc);
    std::string line = text;
    if (!reply.item.empty()) line += " value " + device::ItemText(reply.itemType, reply.item);
    log(line);
    return wire::EncodeCapReply(reply);
}

void ScanSide::Scan(std::vector<std::string>* parts, const LogFunction& log) {
    log("<- scan request");
    std::optional<device::Sheet> sheet = feeder_.Take();
    if (!sheet) {
        log("-> scan done rc 1 cc 5: no paper");
        parts->push_back(wire::EncodeScanDone({twain::TWRC_FAILURE, twain::TWCC_OPERATIONERROR}));
        return;
    }
    log("sheet taken: " + sheet->description + " (" + std::to_string(feeder_.Count()) + " left)");
    const bool bothFaces =
        state_.model.duplex && caps_.Current(twain::CAP_DUPLEXENABLED) == device::ItemBytes(twain::TWTY_BOOL, 1);
    for (std::uint8_t face = 0; face < (bothFaces ? 2 : 1); ++face) {
        const auto side = static_cast<device::Side>(face);
        const ToneResponse response = scenario_.Response(side);
        device::ChannelTables tables{};
        const bool bypass = state_.lutBypass[face];
        const bool haveTables = !bypass && device::StoredTables(state_, side, &tables);
        device::FaceRender render;
        render.response = &response;
        render.tables = haveTables ? &tables : nullptr;
        render.noiseSigma = scenario_.noiseSigma;
        render.optics = scenario_.optics[face];
        // Every face of every scan draws other noise, the same again for the same seed.
        render.seed = scenario_.seed + 2 * scans_ + face;
        render.pageWidth = pageWidth_;
        render.pageHeight = pageHeight_;
        RenderTruth truth;
        const ScanBitmap image = device::RenderFace(face == 0 ? sheet->front : sheet->rear, render, &truth);
        if (!scenario_.truthDir.empty()) {
            if (!truthBase_) truthBase_ = LastTruthScan(scenario_.truthDir);
            WriteTruth(truth, face, log);
        }

        const unsigned bit = face == 0 ? kFaceFront : kFaceRear;
        const wire::ImageDisposition disposition = (scenario_.transferFail & bit) ? wire::ImageDisposition::Fail
                                                   : (scenario_.transferCancel & bit) ? wire::ImageDisposition::Cancel
                                                                                      : wire::ImageDisposition::Deliver;
        const auto bitCount = static_cast<std::uint16_t>(scenario_.bitCount);
        device::AppendImageFrames(image, face, disposition, bitCount, kDpi, &parts->emplace_back());
        char text[160];
        std::snprintf(text, sizeof text, "-> %s image %dx%d, %u bits, %llu bytes, %s, %s", face == 0 ? "front" : "rear",
                      image.Width(), image.Height(), bitCount,
                      static_cast<unsigned long long>(wire::DibPayloadBytes(static_cast<std::uint32_t>(image.Width()),
                                                                            static_cast<std::uint32_t>(image.Height()),
                                                                            bitCount)),
                      bypass ? "LUT bypassed" : haveTables ? "through the stored LUT" : "no LUT stored",
                      DispositionName(disposition));
        log(text);
    }
    ++scans_;
    log("-> scan done rc 0");
    parts->push_back(wire::EncodeScanDone({twain::TWRC_SUCCESS, twain::TWCC_SUCCESS}));
}

void ScanSide::WriteTruth(const RenderTruth& truth, std::uint8_t face, const LogFunction& log) const {
    char name[64];
    std::snprintf(name, sizeof name, "/scan%04u_%s.json", *truthBase_ + scans_ + 1, face == 0 ? "front" : "rear");
    const std::string path = scenario_.truthDir + name;
    std::string error;
    if (!WriteTruthFile(path, TruthJson(truth), &error)) log("truth not written: " + error);
    else log("truth written: " + path);
}

std::string ScanSide::Control(std::string_view text, const LogFunction& log) {
    log("<- feed " + EscapeForLog(std::string(text)));
    std::string result;
    if (text == "list") {
        result = "A000 " + std::to_string(feeder_.Count()) + " sheets";
        for (const std::string& line : feeder_.Descriptions()) result += "\n" + line;
    } else if (text == "clear") {
        feeder_.Clear();
        result = "A000 OK";
    } else {
        device::Sheet sheet;
        std::string why;
        if (!device::ParseSheet(text, &sheet, &why)) result = "E002 " + why;
        else if (!feeder_.Add(std::move(sheet))) result = "E005 feeder full";
        else result = "A000 OK";
    }
    log("-> " + result.substr(0, result.find('\n')));
    return result;
}

std::string ScanSide::ReportText() const {
    return caps_.Text(state_.model.duplex) + "feeder_sheets=" + std::to_string(feeder_.Count()) + "\n";
}

}  // namespace calvix::emulator
