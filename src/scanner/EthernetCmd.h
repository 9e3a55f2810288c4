// CEthernetCmd: the client of the scanner maker's service library. Loads it by path, wraps its
// connection, upload and service-text entry points, and assembles reply lines from what the
// scanner sends back.
#pragma once

#include "scanner/DynamicLibrary.h"
#include "scanner/ServiceLibraryApi.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace calvix {

class Clock;

inline constexpr std::size_t kServiceDataLimit = 1456;
inline constexpr std::size_t kReceiveRingSize = 10000;
inline constexpr std::size_t kLineBufferSize = 10000;
inline constexpr std::size_t kServiceReplySize = 1000;
inline constexpr std::uint32_t kLutModuleKind = 5;
inline constexpr std::size_t kLutRecordSize = 6227;
inline constexpr int kSendDelayMs = 50;

// Library states besides 0 (usable).
inline constexpr std::int32_t kLibraryTornDown = -1;
inline constexpr std::int32_t kLibraryNoSystemDir = -100;
inline constexpr std::int32_t kLibraryNotLoaded = -101;
inline constexpr std::int32_t kLibraryEntryMissing = -102;  // -102 to -113 in resolving order

// ReadReply results that are not a status character.
inline constexpr std::uint8_t kReplyTimedOut = 0xFE;
inline constexpr std::uint8_t kReplyReadFailed = 0xFF;
// UploadLut's result when the library is unusable.
inline constexpr std::uint32_t kUploadLibraryUnusable = 100;

// Byte 0 status character, bytes 1-4 the reply code (native order), bytes 5 on the reply text,
// zero-terminated; zero-filled before each reply is stored.
struct ServiceReply {
    std::array<std::uint8_t, kServiceReplySize> bytes{};

    std::uint8_t Status() const { return bytes[0]; }
    std::int32_t Code() const;
    // Up to the first zero byte.
    std::string_view Text() const;
    void Clear() { bytes.fill(0); }

    static constexpr std::size_t kTextOffset = 5;
    static constexpr std::size_t kMaxText = kServiceReplySize - kTextOffset - 1;
};

class CEthernetCmd {
public:
    // Loads <systemDir>/twain_32/zelmar/zedareru.zi and resolves its entry points; an empty
    // systemDir means the system directory was not found.
    CEthernetCmd(std::unique_ptr<DynamicLibrary> library, const std::string& systemDir, Clock& clock);
    ~CEthernetCmd();
    CEthernetCmd(const CEthernetCmd&) = delete;
    CEthernetCmd& operator=(const CEthernetCmd&) = delete;

    // 0 usable; -100, -101, -102..-113 from loading; -1 after teardown.
    std::int32_t libraryStatus() const { return libraryStatus_; }
    // Unloads the library; every operation returns -1 from then on.
    void Teardown();

    int Connect();
    int Disconnect();
    // Uploads a private copy of the 6227-byte record as module kind 5; the library's result,
    // with its result word in resultWord, or 100 when the library is unusable.
    std::uint32_t UploadLut(const std::uint8_t* record, std::uint32_t& resultWord);

    // -2 for an empty or over-long (> 1456) text, nothing sent; else waits 50 ms and sends.
    int SendCommand(std::string_view text, std::uint32_t& scratch);
    // Discards everything pending in the library and the ring; -2 when a read fails.
    int FlushReplies(std::uint32_t& scratch);
    // Moves pending bytes from the library into the ring; the count of unread bytes, -2 when a
    // read fails.
    int FetchServiceData();
    // destination must hold maximum + 1 bytes (the copied bytes are zero-terminated).
    int ReadLine(char* destination, std::size_t maximum, const char* terminator);
    // The status character of the next reply line, 0 for a line of five characters or fewer,
    // 0xFE when no line came within timeoutMs, 0xFF when reading failed.
    std::uint8_t ReadReply(int timeoutMs, ServiceReply& reply);

    // The reply record the calibration-mode operations read into.
    ServiceReply& Reply() { return reply_; }
    std::size_t UnreadBytes() const;

private:
    void Load(const std::string& systemDir);
    bool Usable() const { return libraryStatus_ == 0; }
    void AppendToRing(const std::uint8_t* data, std::size_t count);

    std::unique_ptr<DynamicLibrary> library_;
    Clock& clock_;
    std::int32_t libraryStatus_ = kLibraryNotLoaded;

    servicelib::ConnectToScannerFn connectToScanner_ = nullptr;
    servicelib::DisconnectScannerFn disconnectScanner_ = nullptr;
    servicelib::UploadModuleFn uploadModule_ = nullptr;
    servicelib::SendServiceDataFn sendServiceData_ = nullptr;
    servicelib::ReadServiceDataFn readServiceData_ = nullptr;

    std::array<std::uint8_t, kReceiveRingSize> ring_{};
    std::size_t writePosition_ = 0;
    std::size_t readPosition_ = 0;
    std::array<char, kLineBufferSize + 1> lineBuffer_{};
    ServiceReply reply_;
};

}  // namespace calvix
