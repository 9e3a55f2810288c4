// The scripted scanner behind FakeServiceLibrary's entry points.
#include "FakeServiceLibrary.h"

#include <algorithm>
#include <cstring>

namespace calvix::test {

namespace {

FakeScanner scanner;

std::uint32_t Connect(std::uint32_t argument) {
    ++scanner.connects;
    scanner.connectArguments.push_back(argument);
    return scanner.connectResult;
}
std::uint32_t Disconnect() {
    ++scanner.disconnects;
    return 0;
}
std::uint32_t Upload(std::uint32_t kind, std::uint32_t length, const void* data, std::uint32_t* word) {
    scanner.uploadKind = kind;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    scanner.uploaded.assign(bytes, bytes + length);
    *word = scanner.uploadWord;
    return scanner.uploadResult;
}
std::uint32_t Send(const char* text, std::uint16_t length, std::uint32_t*) {
    const std::string command(text, length);
    scanner.sent.push_back(command);
    if (scanner.sendResult != 0) return scanner.sendResult;
    std::vector<std::string> lines{"A000 OK\r\n"};
    if (auto it = scanner.replies.find(command); it != scanner.replies.end()) lines = it->second;
    if (scanner.batchReplies) {
        std::string all;
        for (const auto& line : lines) all += line;
        if (!all.empty()) scanner.Queue(all);
    } else {
        for (const auto& line : lines) scanner.Queue(line);
    }
    return 0;
}
std::uint32_t Read(char* buffer, std::uint16_t* length, std::uint32_t*) {
    ++scanner.reads;
    scanner.readCapacities.push_back(*length);
    if (scanner.readResult != 0) return scanner.readResult;
    if (scanner.quietReads > 0 || scanner.pending.empty()) {
        if (scanner.quietReads > 0) --scanner.quietReads;
        *length = 0;
        if (scanner.clock) scanner.clock->elapsedMs += scanner.msPerEmptyRead;
        return 0;
    }
    std::string& chunk = scanner.pending.front();
    const std::size_t count = std::min<std::size_t>(chunk.size(), *length);
    std::memcpy(buffer, chunk.data(), count);
    chunk.erase(0, count);
    if (chunk.empty()) scanner.pending.pop_front();
    *length = static_cast<std::uint16_t>(count);
    return 0;
}
std::uint32_t Unused() { return 0; }

}  // namespace

FakeScanner& Scanner() { return scanner; }

FakeServiceLibrary::FakeServiceLibrary(std::set<std::string> missing, bool loads)
    : missing_(std::move(missing)), loads_(loads) {
    scanner = FakeScanner{};
    scanner.replies["get_params\r\n"] = {"A000 OK\r\n", "A000 Q71:SN=\"Q71-1\",SF=2097171,DX=1\r\n"};
}

bool FakeServiceLibrary::Open(const std::string& path) {
    openedPath = path;
    return loads_;
}

void* FakeServiceLibrary::Symbol(const char* name) {
    if (missing_.count(name)) return nullptr;
    const std::string entry(name);
    if (entry == "ConnectToScanner") return reinterpret_cast<void*>(&Connect);
    if (entry == "DisconnectScanner") return reinterpret_cast<void*>(&Disconnect);
    if (entry == "UploadModule") return reinterpret_cast<void*>(&Upload);
    if (entry == "SendServiceData") return reinterpret_cast<void*>(&Send);
    if (entry == "ReadServiceData") return reinterpret_cast<void*>(&Read);
    return reinterpret_cast<void*>(&Unused);
}

}  // namespace calvix::test
