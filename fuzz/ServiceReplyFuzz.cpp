// Fuzz target: CEthernetCmd's receive path (FetchServiceData, ReadLine, ReadReply, the ring and
// its wrap) fed an arbitrary byte stream by a library whose entry points deliver it in
// arbitrary pieces. Input: a stream of [op byte][length byte][bytes...] records.
#include "app/Clock.h"
#include "scanner/DynamicLibrary.h"
#include "scanner/EthernetCmd.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <string>

namespace {

std::deque<std::string> pending;
bool readFails = false;

std::uint32_t Connect(std::uint32_t) { return 0; }
std::uint32_t Disconnect() { return 0; }
std::uint32_t Upload(std::uint32_t, std::uint32_t, const void*, std::uint32_t*) { return 0; }
std::uint32_t Send(const char*, std::uint16_t, std::uint32_t*) { return 0; }
std::uint32_t Read(char* buffer, std::uint16_t* length, std::uint32_t*) {
    if (readFails) return 1;
    if (pending.empty()) {
        *length = 0;
        return 0;
    }
    std::string& chunk = pending.front();
    const std::size_t count = chunk.size() < *length ? chunk.size() : *length;
    std::memcpy(buffer, chunk.data(), count);
    chunk.erase(0, count);
    if (chunk.empty()) pending.pop_front();
    *length = static_cast<std::uint16_t>(count);
    return 0;
}
std::uint32_t Other() { return 0; }

class Library final : public calvix::DynamicLibrary {
public:
    bool Open(const std::string&) override { return true; }
    void* Symbol(const char* name) override {
        const std::string entry(name);
        if (entry == "ConnectToScanner") return reinterpret_cast<void*>(&Connect);
        if (entry == "DisconnectScanner") return reinterpret_cast<void*>(&Disconnect);
        if (entry == "UploadModule") return reinterpret_cast<void*>(&Upload);
        if (entry == "SendServiceData") return reinterpret_cast<void*>(&Send);
        if (entry == "ReadServiceData") return reinterpret_cast<void*>(&Read);
        return reinterpret_cast<void*>(&Other);
    }
    void Close() override {}
};

// Every look at the time moves it on, so every wait ends.
class TickingClock final : public calvix::Clock {
public:
    std::int64_t ElapsedMs() const override { return ++now_; }
    void SleepMs(int ms) override { now_ += ms; }
    calvix::CivilTime LocalNow() const override { return {}; }
    calvix::CivilTime UtcNow() const override { return {}; }

private:
    mutable std::int64_t now_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pending.clear();
    readFails = false;
    TickingClock clock;
    calvix::CEthernetCmd cmd(std::make_unique<Library>(), "/", clock);
    static char line[calvix::kLineBufferSize + 1];
    std::uint32_t scratch = 0;
    std::size_t at = 0;
    while (at + 2 <= size) {
        const std::uint8_t op = data[at];
        // Lengths up to 255 * 64 bytes, so the ring fills and wraps within one input.
        std::size_t length = static_cast<std::size_t>(data[at + 1]) * ((op & 0x80) ? 64 : 1);
        at += 2;
        const std::size_t available = size - at;
        if (length > available) length = available;
        const std::string bytes(reinterpret_cast<const char*>(data + at), length);
        at += length;
        switch (op & 0x07) {
        case 0:
        case 1:
            pending.push_back(bytes);
            break;
        case 2:
            cmd.ReadReply(3, cmd.Reply());
            break;
        case 3:
            cmd.ReadLine(line, bytes.size() * 50, (op & 0x08) ? "\r\n" : "");
            break;
        case 4:
            cmd.FetchServiceData();
            break;
        case 5:
            cmd.ReadLine(line, calvix::kLineBufferSize, bytes.substr(0, 4).c_str());
            break;
        case 6:
            if (op & 0x40) cmd.FlushReplies(scratch);
            else readFails = (op & 0x08) != 0;
            break;
        default:
            cmd.SendCommand(bytes, scratch);
            break;
        }
        if (cmd.UnreadBytes() >= calvix::kReceiveRingSize) __builtin_trap();
    }
    return 0;
}
