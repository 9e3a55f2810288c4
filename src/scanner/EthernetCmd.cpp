// CEthernetCmd: library loading and the receive path (ring, line assembly, reply records).
#include "scanner/EthernetCmd.h"

#include "app/Clock.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace calvix {

namespace {

constexpr const char* kLibraryPath = "/twain_32/zelmar/zedareru.zi";
constexpr const char* kLineEnd = "\r\n";
constexpr std::size_t kLineEndLength = 2;
// A reply shorter than this carries no text; its status reads as 0.
constexpr std::size_t kMinReplyLine = 6;
// A library that never runs dry would keep a flush going for ever; after this many reads
// (over 1 MB) the flush stops and leaves the rest for the next one.
constexpr int kMaxFlushReads = 1000;

template <typename Fn>
Fn As(void* symbol) {
    return reinterpret_cast<Fn>(symbol);
}

}  // namespace

std::int32_t ServiceReply::Code() const {
    std::int32_t code = 0;
    std::memcpy(&code, bytes.data() + 1, sizeof code);
    return code;
}

std::string_view ServiceReply::Text() const {
    const char* text = reinterpret_cast<const char*>(bytes.data() + kTextOffset);
    return std::string_view(text, ::strnlen(text, kServiceReplySize - kTextOffset));
}

CEthernetCmd::CEthernetCmd(std::unique_ptr<DynamicLibrary> library, const std::string& systemDir, Clock& clock)
    : library_(std::move(library)), clock_(clock) {
    Load(systemDir);
}

CEthernetCmd::~CEthernetCmd() { Teardown(); }

void CEthernetCmd::Load(const std::string& systemDir) {
    std::error_code error;
    if (systemDir.empty() || !std::filesystem::is_directory(systemDir, error)) {
        libraryStatus_ = kLibraryNoSystemDir;
        return;
    }
    if (!library_ || !library_->Open(systemDir + kLibraryPath)) {
        libraryStatus_ = kLibraryNotLoaded;
        return;
    }
    void* symbols[std::size(servicelib::kEntryPointNames)];
    libraryStatus_ = 0;
    for (std::size_t i = 0; i < std::size(servicelib::kEntryPointNames); ++i) {
        symbols[i] = library_->Symbol(servicelib::kEntryPointNames[i]);
        // Every name is tried; the last one missing gives the status.
        if (!symbols[i]) libraryStatus_ = kLibraryEntryMissing - static_cast<std::int32_t>(i);
    }
    if (libraryStatus_ != 0) return;
    connectToScanner_ = As<servicelib::ConnectToScannerFn>(symbols[0]);
    disconnectScanner_ = As<servicelib::DisconnectScannerFn>(symbols[1]);
    uploadModule_ = As<servicelib::UploadModuleFn>(symbols[2]);
    sendServiceData_ = As<servicelib::SendServiceDataFn>(symbols[4]);
    readServiceData_ = As<servicelib::ReadServiceDataFn>(symbols[5]);
}

void CEthernetCmd::Teardown() {
    if (library_) library_->Close();
    connectToScanner_ = nullptr;
    disconnectScanner_ = nullptr;
    uploadModule_ = nullptr;
    sendServiceData_ = nullptr;
    readServiceData_ = nullptr;
    libraryStatus_ = kLibraryTornDown;
}

int CEthernetCmd::Connect() {
    if (!Usable()) return -1;
    return static_cast<int>(connectToScanner_(0));
}

int CEthernetCmd::Disconnect() {
    if (!Usable()) return -1;
    disconnectScanner_();
    return 0;
}

std::uint32_t CEthernetCmd::UploadLut(const std::uint8_t* record, std::uint32_t& resultWord) {
    if (!Usable()) return kUploadLibraryUnusable;
    // The library gets its own copy, so nothing it does can touch the caller's record.
    std::array<std::uint8_t, kLutRecordSize> copy;
    std::memcpy(copy.data(), record, copy.size());
    return uploadModule_(kLutModuleKind, static_cast<std::uint32_t>(copy.size()), copy.data(), &resultWord);
}

int CEthernetCmd::SendCommand(std::string_view text, std::uint32_t& scratch) {
    if (!Usable()) return -1;
    if (text.empty() || text.size() > kServiceDataLimit) return -2;
    clock_.SleepMs(kSendDelayMs);
    return static_cast<int>(sendServiceData_(text.data(), static_cast<std::uint16_t>(text.size()), &scratch));
}

int CEthernetCmd::FlushReplies(std::uint32_t& scratch) {
    if (!Usable()) return -1;
    char buffer[kServiceDataLimit];
    for (int reads = 0; reads < kMaxFlushReads; ++reads) {
        std::uint16_t length = kServiceDataLimit;
        if (readServiceData_(buffer, &length, &scratch) != 0) return -2;
        if (length == 0) break;
    }
    readPosition_ = writePosition_;
    return 0;
}

std::size_t CEthernetCmd::UnreadBytes() const {
    return (writePosition_ + kReceiveRingSize - readPosition_) % kReceiveRingSize;
}

void CEthernetCmd::AppendToRing(const std::uint8_t* data, std::size_t count) {
    const std::size_t first = std::min(count, kReceiveRingSize - writePosition_);
    std::memcpy(ring_.data() + writePosition_, data, first);
    std::memcpy(ring_.data(), data + first, count - first);
    writePosition_ = (writePosition_ + count) % kReceiveRingSize;
}

int CEthernetCmd::FetchServiceData() {
    if (!Usable()) return -1;
    // The unread count is (write - read) modulo the ring size, so the ring holds at most one
    // byte less than its size. When it is that full, reading stops and the library keeps the
    // rest: it is asked for no more than fits, so no unread byte is ever overwritten and the
    // positions always agree with the count. The bytes come in once lines are consumed.
    std::uint8_t buffer[kServiceDataLimit];
    std::uint32_t scratch = 0;
    for (;;) {
        const std::size_t space = kReceiveRingSize - 1 - UnreadBytes();
        if (space == 0) break;
        const std::uint16_t asked = static_cast<std::uint16_t>(std::min(space, kServiceDataLimit));
        std::uint16_t length = asked;
        if (readServiceData_(reinterpret_cast<char*>(buffer), &length, &scratch) != 0) return -2;
        if (length == 0) break;
        // A library that claims more than it was given room for is not believed beyond that.
        AppendToRing(buffer, std::min<std::size_t>(length, asked));
    }
    return static_cast<int>(UnreadBytes());
}

int CEthernetCmd::ReadLine(char* destination, std::size_t maximum, const char* terminator) {
    const int fetched = FetchServiceData();
    if (fetched < 0) return fetched;
    const std::size_t take = std::min({UnreadBytes(), maximum, kLineBufferSize});
    const std::size_t first = std::min(take, kReceiveRingSize - readPosition_);
    std::memcpy(lineBuffer_.data(), ring_.data() + readPosition_, first);
    std::memcpy(lineBuffer_.data() + first, ring_.data(), take - first);
    lineBuffer_[take] = '\0';

    std::size_t length = take;
    const std::size_t terminatorLength = terminator ? std::strlen(terminator) : 0;
    if (terminatorLength > 0) {
        // Searched over the bytes taken, not up to the first zero byte: a stray zero in the
        // stream must not hide the line end behind it.
        const void* found = ::memmem(lineBuffer_.data(), take, terminator, terminatorLength);
        if (!found) return 0;
        length = static_cast<std::size_t>(static_cast<const char*>(found) - lineBuffer_.data()) + terminatorLength;
        lineBuffer_[length] = '\0';
    }
    if (destination != lineBuffer_.data()) std::memcpy(destination, lineBuffer_.data(), length);
    destination[length] = '\0';
    readPosition_ = (readPosition_ + length) % kReceiveRingSize;
    return static_cast<int>(length);
}

std::uint8_t CEthernetCmd::ReadReply(int timeoutMs, ServiceReply& reply) {
    const std::int64_t start = clock_.ElapsedMs();
    int length = 0;
    for (;;) {
        length = ReadLine(lineBuffer_.data(), kLineBufferSize, kLineEnd);
        if (length < 0) return kReplyReadFailed;
        if (length > 0) break;
        if (clock_.ElapsedMs() - start > timeoutMs) return kReplyTimedOut;
    }
    const std::size_t lineLength = static_cast<std::size_t>(length) - kLineEndLength;
    lineBuffer_[lineLength] = '\0';
    reply.Clear();
    if (lineLength >= kMinReplyLine) {
        reply.bytes[0] = static_cast<std::uint8_t>(lineBuffer_[0]);
        char digits[4] = {lineBuffer_[1], lineBuffer_[2], lineBuffer_[3], '\0'};
        const std::int32_t code = static_cast<std::int32_t>(std::strtol(digits, nullptr, 10));
        std::memcpy(reply.bytes.data() + 1, &code, sizeof code);
        // The record holds 994 text bytes and its terminator; a longer reply text is cut
        // there rather than written past the record.
        const std::size_t textLength = std::min(lineLength - ServiceReply::kTextOffset, ServiceReply::kMaxText);
        std::memcpy(reply.bytes.data() + ServiceReply::kTextOffset, lineBuffer_.data() + ServiceReply::kTextOffset,
                    textLength);
    }
    return reply.bytes[0];
}

}  // namespace calvix
