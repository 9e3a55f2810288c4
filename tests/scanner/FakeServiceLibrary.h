// A service library in the test process: CEthernetCmd loads it through the DynamicLibrary
// port and its entry points play a scripted scanner, recording what they were given.
#pragma once

#include "FakeClock.h"
#include "scanner/DynamicLibrary.h"

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace calvix::test {

struct FakeScanner {
    // Chunks that ReadServiceData delivers, one chunk (or its first part) per call.
    std::deque<std::string> pending;
    // Reply lines per command; a command not listed gets "A000 OK\r\n".
    std::map<std::string, std::vector<std::string>> replies;
    // Replies to one command arrive as one chunk instead of one chunk per line.
    bool batchReplies = false;

    std::vector<std::string> sent;
    std::uint32_t connectResult = 0;
    std::uint32_t sendResult = 0;
    std::uint32_t readResult = 0;
    std::uint32_t uploadResult = 0;
    std::uint32_t uploadWord = 0;
    int connects = 0;
    std::vector<std::uint32_t> connectArguments;
    int disconnects = 0;
    int reads = 0;
    std::uint32_t uploadKind = 0;
    std::vector<std::uint8_t> uploaded;
    std::vector<std::uint16_t> readCapacities;

    // Every read that delivers nothing moves this clock on, so waiting for a reply ends.
    FakeClock* clock = nullptr;
    int msPerEmptyRead = 1;
    // Reads that deliver nothing before pending chunks show, as if the scanner were slow.
    int quietReads = 0;

    void Queue(const std::string& bytes) { pending.push_back(bytes); }
};

// The scanner the entry points talk to; reset by each FakeServiceLibrary.
FakeScanner& Scanner();

class FakeServiceLibrary final : public DynamicLibrary {
public:
    explicit FakeServiceLibrary(std::set<std::string> missing = {}, bool loads = true);
    bool Open(const std::string& path) override;
    void* Symbol(const char* name) override;
    void Close() override { closed = true; }

    std::string openedPath;
    bool closed = false;

private:
    std::set<std::string> missing_;
    bool loads_;
};

}  // namespace calvix::test
