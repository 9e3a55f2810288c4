// The q71-emulator process over real sockets: loopback only, clean stop on SIGTERM, state kept
// across a restart, service and scan connections at once, delayed replies, hostile input.
#include "DaemonFixture.h"
#include "EmulatorProcess.h"
#include "TempDir.h"
#include "TestData.h"
#include "WireFormat.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace calvix::test {
namespace {

using ::testing::HasSubstr;

// A bare client speaking the wire format.
class RawClient {
public:
    explicit RawClient(int port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawClient() { ::close(fd_); }
    bool Connected() const { return connected_; }
    bool Send(const std::string& bytes) {
        return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }
    bool Send(wire::FrameType type, const std::string& payload) { return Send(wire::EncodeFrame(type, payload)); }
    // The next frame within waitMs; nothing when none came or the device closed.
    std::optional<wire::Frame> Next(int waitMs) {
        wire::Frame frame;
        for (;;) {
            if (!buffered_.empty()) {
                std::size_t used = 0;
                const auto result = decoder_.Feed(buffered_.data(), buffered_.size(), &used, &frame);
                buffered_.erase(buffered_.begin(), buffered_.begin() + static_cast<std::ptrdiff_t>(used));
                if (result == wire::FrameDecoder::Result::FrameReady) return frame;
                if (result == wire::FrameDecoder::Result::Broken) return std::nullopt;
            }
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, waitMs) != 1) return std::nullopt;
            unsigned char chunk[4096];
            const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
            if (n <= 0) return std::nullopt;
            buffered_.insert(buffered_.end(), chunk, chunk + n);
        }
    }
    // True when the device closed the connection within waitMs.
    bool ClosedByPeer(int waitMs) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, waitMs) != 1) return false;
        char byte;
        return ::recv(fd_, &byte, 1, 0) == 0;
    }

private:
    int fd_ = -1;
    bool connected_ = false;
    wire::FrameDecoder decoder_;
    std::vector<unsigned char> buffered_;
};

constexpr int kWaitMs = 3000;

class DaemonTest : public DaemonFixture {
protected:
    std::unique_ptr<RawClient> Greet(const std::string& role) {
        auto client = std::make_unique<RawClient>(emulator->Port());
        EXPECT_TRUE(client->Connected());
        client->Send(wire::FrameType::Hello, role);
        const auto hello = client->Next(kWaitMs);
        EXPECT_TRUE(hello && hello->type == wire::FrameType::Hello);
        return client;
    }
    std::string Ask(RawClient& client, const std::string& command) {
        client.Send(wire::FrameType::Text, command);
        const auto reply = client.Next(kWaitMs);
        return reply ? reply->payload : "(none)";
    }
};

TEST_F(DaemonTest, StopsCleanlyOnSigterm) {
    Start();
    EXPECT_EQ(emulator->Stop(), 0);
    EXPECT_THAT(ReadFileText(dir.File("emulator.log")), HasSubstr("stopping"));
}

TEST_F(DaemonTest, RefusesToListenBeyondLoopback) {
    for (const char* address : {"0.0.0.0:0", "192.168.1.1:7171", "127.0.0.1:99999", "nonsense"}) {
        const std::string command = EmulatorProcess::BinaryPath() + " --listen " + address + " --state " +
                                    dir.File("s") + " 2>/dev/null";
        const int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << address;
    }
}

TEST_F(DaemonTest, StateSurvivesARestartAndScenarioSetsTheModel) {
    WriteFileText(dir.File("scenario"), "serial=Q71-777\nduplex=0\n");
    Start({"--scenario", dir.File("scenario")});
    auto service = Greet("service");
    EXPECT_EQ(Ask(*service, "lamps:1\r\n"), "A000 OK\r\n");
    EXPECT_EQ(Ask(*service, "lut_bypass:1,1\r\n"), "E003 no rear side\r\n");
    service.reset();
    ASSERT_EQ(emulator->Stop(), 0);

    Start();
    auto scan = Greet("scan");
    scan->Send(wire::FrameType::StateQuery, "");
    const auto report = scan->Next(kWaitMs);
    ASSERT_TRUE(report && report->type == wire::FrameType::StateReport);
    EXPECT_THAT(report->payload, HasSubstr("serial=Q71-777\nduplex=0\n"));
    EXPECT_THAT(report->payload, HasSubstr("lamps=1\n"));
}

TEST_F(DaemonTest, ServiceAndScanConnectionsAtOnceAndManyInSequence) {
    Start();
    auto service = Greet("service");
    auto scan = Greet("scan");
    EXPECT_EQ(Ask(*service, "lut_bypass:1,0\r\n"), "A000 OK\r\n");
    scan->Send(wire::FrameType::StateQuery, "");
    const auto report = scan->Next(kWaitMs);
    ASSERT_TRUE(report);
    EXPECT_THAT(report->payload, HasSubstr("lut_bypass_front=1\n"));
    service.reset();
    scan.reset();
    for (int i = 0; i < 20; ++i) {
        auto next = Greet("service");
        ASSERT_EQ(Ask(*next, i % 2 ? "lamps:1\r\n" : "lamps:0\r\n"), "A000 OK\r\n") << i;
    }
}

TEST_F(DaemonTest, DelayedReplyComesLate) {
    Start({"--reply-delay", "400"});
    auto service = Greet("service");
    service->Send(wire::FrameType::Text, "lamps:1\r\n");
    EXPECT_FALSE(service->Next(150));
    const auto reply = service->Next(kWaitMs);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->payload, "A000 OK\r\n");
}

TEST_F(DaemonTest, RefusedConnectionIsClosedWithoutGreeting) {
    Start({"--refuse-connections"});
    RawClient client(emulator->Port());
    ASSERT_TRUE(client.Connected());
    EXPECT_TRUE(client.ClosedByPeer(kWaitMs));
}

TEST_F(DaemonTest, HostileInputEndsOnlyItsOwnConnection) {
    Start();
    const std::vector<std::string> attacks = {
        std::string("\xff\xff\xff\xff\xff", 5),
        wire::EncodeFrame(wire::FrameType::Hello, "service") + std::string("T\xff\xff\xff\xff", 5),
        wire::EncodeFrame(wire::FrameType::Hello, "service") + wire::EncodeFrame(wire::FrameType::StateReport, "x"),
        wire::EncodeFrame(wire::FrameType::Hello, "service") +
            wire::EncodeFrame(wire::FrameType::Text, std::string(60000, '\n') + std::string(60000, 'x')),
    };
    for (const std::string& attack : attacks) {
        RawClient client(emulator->Port());
        ASSERT_TRUE(client.Connected());
        client.Send(attack);
        // Half a frame, then silence: the device must not wait on it.
        client.Send(std::string("T\x10\0\0\0abc", 8));
    }
    auto service = Greet("service");
    EXPECT_EQ(Ask(*service, "lamps:1\r\n"), "A000 OK\r\n");
}

TEST_F(DaemonTest, UnreadableStateFileStopsTheStartAndIsLeftAlone) {
    const std::string path = dir.File("device.state");
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"serial=Q71-1\nlut=" + std::string(2 * 6227 - 1, '0') + "x\n", path + ": line 2: bad value for lut"},
        {"lamps=1\n" + std::string(70000, '#') + "\n", path + ": larger than 64 KB"},
    };
    for (const auto& c : cases) {
        WriteFileText(path, c.text);
        const ProgramResult run = RunProgram({EmulatorProcess::BinaryPath(), "--listen", "127.0.0.1:0", "--state", path},
                                             dir.Path());
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_THAT(run.err, HasSubstr(c.message));
        EXPECT_EQ(ReadFileText(path), c.text);
    }
}

TEST_F(DaemonTest, StateWithOddSerialAndUnknownKeysSurvivesRestarts) {
    WriteFileText(dir.File("device.state"), "future_key=kept as it was\nlamps=1\n");
    Start({"--serial", "Q71 \"7\""});
    ASSERT_EQ(emulator->Stop(), 0);
    Start();
    auto service = Greet("service");
    EXPECT_THAT(Ask(*service, "get_params\r\n"), HasSubstr("A000 OK"));
    const std::string state = ReadFileText(dir.File("device.state"));
    EXPECT_THAT(state, HasSubstr("serial=Q71 \"7\"\n"));
    EXPECT_THAT(state, HasSubstr("future_key=kept as it was\n"));
    EXPECT_THAT(state, HasSubstr("lamps=1\n"));
}

TEST_F(DaemonTest, BadSwitchesAndScenarioFolderExitWith2) {
    const std::vector<std::vector<std::string>> cases = {
        {"--scenario", dir.Path()}, {"--bit-depth", "16"}, {"--feed", "chart-on=front"}, {"--duplex", "2"},
        {"--idle-timeout", "0"}, {"--cap-refuse", "0x8136"}, {"stray"}, {"--feed", "chart-on=front,it8=/dev/zero"}};
    for (const auto& args : cases) {
        std::vector<std::string> argv = {EmulatorProcess::BinaryPath(), "--listen", "127.0.0.1:0", "--state",
                                         dir.File("s")};
        argv.insert(argv.end(), args.begin(), args.end());
        const ProgramResult run = RunProgram(argv, dir.Path());
        EXPECT_EQ(run.exitCode, 2) << args[0];
        EXPECT_THAT(run.err, HasSubstr(args[0] == "stray" ? "stray" : "q71-emulator: ")) << args[0];
    }
}

TEST_F(DaemonTest, LogsTheAddressActuallyBound) {
    emulator = std::make_unique<EmulatorProcess>(dir.File("device.state"), dir.File("emulator.log"),
                                                 std::vector<std::string>{}, "127.0.0.2");
    ASSERT_TRUE(emulator->Started());
    ASSERT_EQ(emulator->Stop(), 0);
    EXPECT_THAT(ReadFileText(dir.File("emulator.log")), HasSubstr("listening on 127.0.0.2:"));
}

TEST_F(DaemonTest, SilentConnectionsCannotLockTheDeviceOut) {
    Start({"--hello-timeout", "300"});
    std::vector<std::unique_ptr<RawClient>> silent;
    for (std::size_t i = 0; i < 16; ++i) silent.push_back(std::make_unique<RawClient>(emulator->Port()));
    // Every place is taken by a connection that never greets; each is closed after its time.
    for (auto& client : silent) EXPECT_TRUE(client->ClosedByPeer(kWaitMs));
    auto service = Greet("service");
    EXPECT_EQ(Ask(*service, "lamps:1\r\n"), "A000 OK\r\n");
    EXPECT_THAT(ReadFileText(dir.File("emulator.log")), HasSubstr("closed: no greeting in time"));
}

TEST_F(DaemonTest, IdleConnectionIsClosedAfterItsTime) {
    Start({"--idle-timeout", "1"});
    auto service = Greet("service");
    EXPECT_EQ(Ask(*service, "lamps:1\r\n"), "A000 OK\r\n");
    EXPECT_TRUE(service->ClosedByPeer(kWaitMs));
    EXPECT_THAT(ReadFileText(dir.File("emulator.log")), HasSubstr("closed: idle too long"));
}

TEST_F(DaemonTest, RenderToolRefusesOptionsOutOfRange) {
    const std::string render = std::string(CALVIX_BIN_DIR) + "/q71-render";
    const std::vector<std::vector<std::string>> cases = {
        {"--shift-x", "2147483647"}, {"--shift-y", "-2147483648"}, {"--box-width", "0"}, {"--box-height", "-4"},
        {"--dust", "2000000000"},    {"--noise", "nan"},           {"--rotate", "inf"},  {"--gamma", "0"},
        {"--offset", "2"},           {"--coloured-wedge", "24"},   {"--gain", "-1"},     {"--it8", "/dev/zero"},
        {"--blur", "5.5"},           {"--blur", "1,2"},            {"--falloff", "50.5"}, {"--scale", "0.94"},
        {"--misregister", "0,0,0,-3.5"}, {"--misregister", "1,1"}, {"--shot-noise", "-1"},
        {"--crosstalk", "1,0,0,0,1,0,0,0,0.9"}, {"--crosstalk", "2.5,-1.5,0,0,1,0,0,0,1"}};
    for (const auto& args : cases) {
        std::vector<std::string> argv = {render, "-o", dir.File("r.bmp")};
        argv.insert(argv.end(), args.begin(), args.end());
        const ProgramResult run = RunProgram(argv, dir.Path());
        EXPECT_EQ(run.exitCode, args[0] == "--it8" ? 1 : 2) << args[0] << " " << args[1];
        EXPECT_THAT(run.err, HasSubstr(args[0] == "--it8" ? "not a readable regular file" : args[0])) << args[1];
        EXPECT_FALSE(FileExists(dir.File("r.bmp")));
    }
}

}  // namespace
}  // namespace calvix::test
