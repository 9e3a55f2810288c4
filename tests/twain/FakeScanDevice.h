// A q71-emulator stand-in for the Q71 source's tests: a loopback listener on a free port that
// speaks the scan connection, answers capabilities from a table, and answers a scan request
// with whatever bytes the test scripted, well formed or not.
#pragma once

#include "ScanWire.h"

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace calvix::test {

class FakeScanDevice {
public:
    FakeScanDevice();
    ~FakeScanDevice();
    FakeScanDevice(const FakeScanDevice&) = delete;
    FakeScanDevice& operator=(const FakeScanDevice&) = delete;

    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

    // A value the device holds (also its default, which MSG_RESET brings back).
    void SetCap(std::uint16_t cap, std::uint16_t itemType, const std::string& item);
    // Answers MSG_SET of cap with rc and cc instead of storing the value.
    void AnswerSet(std::uint16_t cap, std::uint16_t rc, std::uint16_t cc);
    // Answers any request for cap with these raw bytes instead of a proper reply, and then
    // ends the connection when closeAfter.
    void AnswerRaw(std::uint16_t cap, const std::string& bytes, bool closeAfter = false);
    // Answers the greeting with these bytes instead of the device's Hello.
    void SetGreetingAnswer(const std::string& bytes);
    // The bytes that answer the next scan requests; closeAfterScan ends the connection after.
    void SetScanAnswer(const std::string& bytes, bool closeAfterScan = false);
    // Refuses greetings by closing the connection, as an offline device does.
    void SetOffline(bool offline);
    // Closes the connection being served, as the device does after a long idle time, and
    // returns once it is closed.
    void DropConnection();

    int Greetings() const;
    std::vector<wire::CapRequest> Requests() const;
    int ScanRequests() const;

    // Frames of one face: an ImageHeader and the bytes in ImageData frames.
    static std::string FaceFrames(const wire::ImageHeader& header, const std::string& bytes);
    static std::string DoneFrame(std::uint16_t rc, std::uint16_t cc);
    // A 24-bit test face of width x height whose pixel (x, y), y from the top, is
    // B = x, G = y, R = face marker; rows bottom-up, padded.
    static std::string TestPixels24(std::uint32_t width, std::uint32_t height, std::uint8_t marker);

private:
    struct Value {
        std::uint16_t itemType;
        std::string current;
        std::string initial;
    };

    // Waits until fd is readable; false when the test stops the device or drops the
    // connection fd.
    bool Await(int fd);
    void Run();
    void Serve(int fd);
    bool Handle(int fd, const wire::Frame& frame, bool* greeted);

    int listener_ = -1;
    int port_ = 0;
    int wake_[2] = {-1, -1};
    std::thread thread_;

    mutable std::mutex mutex_;
    std::condition_variable dropped_;
    bool stop_ = false;
    bool dropRequested_ = false;
    bool offline_ = false;
    int greetings_ = 0;
    int scans_ = 0;
    std::map<std::uint16_t, Value> values_;
    std::map<std::uint16_t, std::pair<std::uint16_t, std::uint16_t>> setAnswers_;
    std::map<std::uint16_t, std::pair<std::string, bool>> rawAnswers_;
    std::string greeting_ = wire::EncodeFrame(wire::FrameType::Hello, "Q71-TEST-0001");
    std::vector<wire::CapRequest> requests_;
    std::string scanAnswer_;
    bool closeAfterScan_ = false;
};

}  // namespace calvix::test
