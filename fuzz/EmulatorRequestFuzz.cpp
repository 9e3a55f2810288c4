// Fuzz target: everything the emulator reads from outside — the byte stream of a client
// connection (frames, command lines, uploads), the state file and the scenario file.
// The first byte picks the parser and the scenario faults.
#include "DeviceState.h"
#include "Scenario.h"
#include "ServiceSession.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint8_t mode = data[0];
    const std::uint8_t* rest = data + 1;
    const std::size_t restSize = size - 1;
    const std::string_view text(reinterpret_cast<const char*>(rest), restSize);

    switch (mode & 0x03) {
    case 0: {
        calvix::device::DeviceState state;
        state.Parse(text);
        calvix::device::DeviceState again;
        if (!again.Parse(state.Serialise())) __builtin_trap();  // what it writes, it reads
        if (again.Serialise() != state.Serialise()) __builtin_trap();
        return 0;
    }
    case 1: {
        calvix::emulator::Scenario scenario;
        std::string error;
        calvix::emulator::ParseScenario(text, &scenario, &error);
        return 0;
    }
    default:
        break;
    }

    calvix::emulator::Scenario scenario;
    scenario.truncateReplies = (mode >> 2) & 0x07;
    scenario.batchReplies = (mode & 0x20) != 0;
    if (mode & 0x40) scenario.commands.refused.push_back("lamps");
    if (mode & 0x80) scenario.refuseUploadCode = 7;
    calvix::device::DeviceState state;
    calvix::emulator::ServiceSession session(
        1, state, scenario, 0, [](std::string*) { return true; }, [](const std::string&) {});
    std::vector<calvix::emulator::Outgoing> out;
    // Fed in pieces of varying size, as a socket delivers it.
    std::size_t at = 0;
    std::size_t piece = 1;
    while (at < restSize && !session.WantsClose()) {
        const std::size_t take = piece < restSize - at ? piece : restSize - at;
        session.Receive(rest + at, take, &out);
        at += take;
        piece = piece * 3 % 997 + 1;
        if (out.size() > 4096) out.clear();
    }
    return 0;
}
