// Fuzz target: everything the emulator reads from outside — the byte stream of a client
// connection (frames, command lines, uploads, capability requests, scan requests, sheet lines),
// the state file and the scenario file. The first byte picks the parser and the faults.
#include "DeviceState.h"
#include "ScanSide.h"
#include "Scenario.h"
#include "ServiceSession.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using calvix::emulator::Outgoing;

// Feeds the stream in pieces of varying size, as a socket delivers it.
void FeedInPieces(calvix::emulator::ServiceSession& session, const std::uint8_t* data, std::size_t size) {
    std::vector<Outgoing> out;
    std::size_t at = 0;
    std::size_t piece = 1;
    while (at < size && !session.WantsClose()) {
        const std::size_t take = piece < size - at ? piece : size - at;
        session.Receive(data + at, take, &out);
        at += take;
        piece = piece * 3 % 997 + 1;
        if (out.size() > 4096) out.clear();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint8_t mode = data[0];
    const std::uint8_t* rest = data + 1;
    const std::size_t restSize = size - 1;
    const std::string_view text(reinterpret_cast<const char*>(rest), restSize);

    calvix::emulator::Scenario scenario;
    calvix::device::DeviceState state;
    switch (mode & 0x03) {
    case 0: {
        state.Parse(text);
        calvix::device::DeviceState again;
        if (!again.Parse(state.Serialise())) __builtin_trap();  // what it writes, it reads
        if (again.Serialise() != state.Serialise()) __builtin_trap();
        return 0;
    }
    case 1: {
        std::string error;
        calvix::emulator::ParseScenario(text, &scenario, &error);
        return 0;
    }
    case 2: {
        scenario.truncateReplies = (mode >> 2) & 0x07;
        scenario.batchReplies = (mode & 0x20) != 0;
        if (mode & 0x40) scenario.commands.refused.push_back("lamps");
        if (mode & 0x80) scenario.refuseUploadCode = 7;
        calvix::emulator::ServiceSession session(
            1, state, scenario, 0, [](std::string*) { return true; }, [](const std::string&) {});
        FeedInPieces(session, rest, restSize);
        return 0;
    }
    default:
        break;
    }

    // The scan side: capability requests, scans of a small page, the operator's sheet lines.
    scenario.offline = (mode & 0x04) != 0;
    scenario.bitCount = (mode & 0x08) ? 8 : (mode & 0x10) ? 32 : 24;
    if (mode & 0x20) scenario.capFaults = {{{0x8136, 10}}, {0x812D}};
    if (mode & 0x40) scenario.transferFail = calvix::emulator::kFaceRear;
    state.model.duplex = (mode & 0x80) == 0;
    calvix::emulator::ScanSide scanSide(state, scenario);
    scanSide.SetPageSize(24, 12);
    for (int i = 0; i < 3; ++i) scanSide.Feeder().Add(calvix::device::Sheet{});
    calvix::emulator::ServiceSession session(
        1, state, scenario, 0, [](std::string*) { return true; }, [](const std::string&) {}, &scanSide,
        [] { return std::size_t{0}; });
    FeedInPieces(session, rest, restSize);
    return 0;
}
