// The scan side of the q71-emulator process over real sockets: a client speaking the scan
// connection's frames receives a duplex scan, capabilities live with the device, the operator's
// feed command and control connection, and the scan faults given as switches.
#include "Capabilities.h"
#include "DaemonFixture.h"
#include "EmulatorProcess.h"
#include "FeedCommand.h"
#include "ScanAnswer.h"
#include "TempDir.h"
#include "TestData.h"
#include "WireClient.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace calvix::test {
namespace {

using ::testing::HasSubstr;
using namespace twain;
using emulator::WireClient;

constexpr int kWaitMs = 5000;
const std::string kR1 = std::string(CALVIX_TEST_DATA_DIR) + "/it8/R1.txt";

class ScanDaemonTest : public DaemonFixture {
protected:
    std::unique_ptr<WireClient> Connect(const std::string& role) {
        auto client = std::make_unique<WireClient>();
        std::string error;
        EXPECT_TRUE(client->Connect(emulator->Address(), &error)) << error;
        EXPECT_TRUE(client->Greet(role, kWaitMs)) << role;
        return client;
    }
    static wire::CapReply Cap(WireClient& client, std::uint16_t cap, std::uint16_t msg, std::uint16_t type = 0,
                              std::string item = {}) {
        client.SendRaw(wire::EncodeCapRequest({cap, msg, type, std::move(item)}));
        const auto frame = client.Next(kWaitMs);
        const auto reply = frame && frame->type == wire::FrameType::CapReply ? wire::DecodeCapReply(frame->payload)
                                                                             : std::nullopt;
        EXPECT_TRUE(reply);
        return reply.value_or(wire::CapReply{0xFFFF, 0xFFFF, 0, {}});
    }
    static ScanAnswer Scan(WireClient& client) {
        ScanAnswer answer;
        client.Send(wire::FrameType::ScanRequest, "");
        for (auto frame = client.Next(kWaitMs); frame && AddScanFrame(&answer, *frame); frame = client.Next(kWaitMs)) {
        }
        return answer;
    }
    ProgramResult Feed(std::vector<std::string> args) {
        args.insert(args.begin(), {EmulatorProcess::BinaryPath(), "feed"});
        return RunProgram(args, dir.Path());
    }
};

TEST_F(ScanDaemonTest, DuplexScanArrivesWholeFrontFirst) {
    Start({"--feed", "chart-on=front,it8=" + kR1 + ",rotate=0.5,shift-x=10"});
    auto scan = Connect("scan");
    EXPECT_EQ(Cap(*scan, CAP_FEEDERLOADED, MSG_GETCURRENT).item, device::ItemBytes(TWTY_BOOL, 1));
    EXPECT_EQ(Cap(*scan, CAP_DUPLEXENABLED, MSG_SET, TWTY_BOOL, device::ItemBytes(TWTY_BOOL, 1)).rc, TWRC_SUCCESS);

    const ScanAnswer answer = Scan(*scan);
    ASSERT_TRUE(answer.wellFormed);
    ASSERT_EQ(answer.headers.size(), 2u);
    for (std::size_t face = 0; face < 2; ++face) {
        const wire::ImageHeader& h = answer.headers[face];
        EXPECT_EQ(h.face, face);
        EXPECT_EQ(std::make_tuple(h.width, h.height, h.bitCount, h.dpi), std::make_tuple(2331u, 3307u, 24, 400));
        EXPECT_EQ(h.byteCount, 6996u * 3307u);
        EXPECT_EQ(answer.images[face].size(), h.byteCount);
    }
    EXPECT_EQ(answer.done->rc, TWRC_SUCCESS);
    // The chart is on the front only: the rear is paper white all over.
    EXPECT_NE(answer.Pixel(0, 1000, 800), answer.Pixel(0, 5, 5));
    EXPECT_EQ(answer.Pixel(1, 1000, 800), answer.Pixel(1, 5, 5));
    EXPECT_EQ(Cap(*scan, CAP_FEEDERLOADED, MSG_GETCURRENT).item, device::ItemBytes(TWTY_BOOL, 0));
    EXPECT_EQ(Scan(*scan).done->rc, TWRC_FAILURE);  // no paper left
    EXPECT_THAT(Log(), HasSubstr("-> front image 2331x3307, 24 bits, 23135772 bytes, no LUT stored, deliver"));
}

TEST_F(ScanDaemonTest, UnreadImagesDoNotHoldUpOtherConnections) {
    Start({"--feed", "blank", "--feed", "blank"});
    auto scan = Connect("scan");
    Cap(*scan, CAP_DUPLEXENABLED, MSG_SET, TWTY_BOOL, device::ItemBytes(TWTY_BOOL, 1));
    scan->Send(wire::FrameType::ScanRequest, "");
    auto service = Connect("service");
    service->Send(wire::FrameType::Text, "lamps:1\r\n");
    const auto reply = service->Next(kWaitMs);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->payload, "A000 OK\r\n");
    ScanAnswer answer;
    for (auto frame = scan->Next(kWaitMs); frame && AddScanFrame(&answer, *frame); frame = scan->Next(kWaitMs)) {
    }
    EXPECT_TRUE(answer.wellFormed);
    EXPECT_EQ(answer.headers.size(), 2u);
}

TEST_F(ScanDaemonTest, CapabilitiesLiveWithTheDeviceAndFaultsApply) {
    Start({"--cap-refuse", "0x8084:15", "--cap-checkstatus", "0x812D", "--bit-depth", "8", "--transfer-fail", "rear",
           "--feed", "blank"});
    {
        auto scan = Connect("scan");
        EXPECT_EQ(Cap(*scan, 0x8136, MSG_SET, TWTY_UINT16, device::ItemBytes(TWTY_UINT16, 0)).rc, TWRC_SUCCESS);
        EXPECT_EQ(Cap(*scan, 0x8084, MSG_SET, TWTY_UINT16, device::ItemBytes(TWTY_UINT16, 0)).cc, TWCC_CAPSEQERROR);
        EXPECT_EQ(Cap(*scan, 0x812D, MSG_SET, TWTY_BOOL, device::ItemBytes(TWTY_BOOL, 1)).rc, TWRC_CHECKSTATUS);
        Cap(*scan, CAP_DUPLEXENABLED, MSG_SET, TWTY_BOOL, device::ItemBytes(TWTY_BOOL, 1));
    }
    auto scan = Connect("scan");
    EXPECT_EQ(Cap(*scan, 0x8136, MSG_GETCURRENT).item, device::ItemBytes(TWTY_UINT16, 0));
    const ScanAnswer answer = Scan(*scan);
    ASSERT_EQ(answer.headers.size(), 2u);
    EXPECT_EQ(answer.headers[0].bitCount, 8);
    EXPECT_EQ(answer.headers[0].disposition, wire::ImageDisposition::Deliver);
    EXPECT_EQ(answer.headers[1].disposition, wire::ImageDisposition::Fail);

    auto service = Connect("service");
    service->Send(wire::FrameType::StateQuery, "");
    const auto report = service->Next(kWaitMs);
    ASSERT_TRUE(report);
    EXPECT_THAT(report->payload, HasSubstr("cap_0x8136=0\ncap_0x8145=1\n"));
    EXPECT_THAT(report->payload, HasSubstr("cap_0x812D=1\n"));
    EXPECT_THAT(report->payload, HasSubstr("feeder_sheets=0\n"));
}

TEST_F(ScanDaemonTest, OfflineDeviceRefusesTheScanConnectionOnly) {
    Start({"--offline"});
    WireClient scan;
    std::string error;
    ASSERT_TRUE(scan.Connect(emulator->Address(), &error));
    EXPECT_FALSE(scan.Greet("scan", kWaitMs));
    auto service = Connect("service");
    service->Send(wire::FrameType::Text, "lamps:1\r\n");
    EXPECT_TRUE(service->Next(kWaitMs));
    EXPECT_THAT(Log(), HasSubstr("fault: device offline, scan connection refused"));
}

TEST_F(ScanDaemonTest, FeedCommandPlaysTheOperator) {
    Start();
    const std::string address = emulator->Address();
    ProgramResult run = Feed({"--address", address, "--chart-on", "rear", "--it8", kR1, "--rotate", "0.5", "--shift-y", "-7"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "A000 OK\n");
    {
        ScopedDeviceAddress fromEnvironment(address);
        EXPECT_EQ(Feed({"--blank"}).exitCode, 0);
        EXPECT_EQ(Feed({"--blank", "--level", "0.65"}).exitCode, 0);
    }
    run = Feed({"--address", address, "--list"});
    EXPECT_EQ(run.out, "A000 3 sheets\nchart-on=rear,it8=" + kR1 + ",rotate=0.5,shift-x=0,shift-y=-7\nblank\nblank,level=0.65\n");

    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    } failures[] = {
        {{"--address", address, "--chart-on", "front", "--it8", "/no/such.txt"}, 1, "E002 not a readable regular file"},
        {{"--address", address, "--chart-on", "front"}, 2, "--chart-on needs --it8 FILE"},
        {{"--address", address, "--blank", "--list"}, 2, "exactly one of"},
        {{"--address", address, "--level", "0.5"}, 2, "--level goes with --blank"},
        {{"--address", address, "--blank", "--level", "1.5"}, 1, "level must be 0.05 to 1"},
        {{"--address", address, "--chart-on", "side", "--it8", kR1}, 2, "--chart-on"},
        {{"--address", "127.0.0.1:1", "--blank"}, 1, "cannot connect to 127.0.0.1:1"},
    };
    for (const auto& f : failures) {
        run = Feed(f.args);
        EXPECT_EQ(run.exitCode, f.exitCode) << f.message;
        EXPECT_THAT(run.out + run.err, HasSubstr(f.message));
    }
    auto control = Connect("control");
    control->Send(wire::FrameType::Feed, "clear");
    const auto cleared = control->Next(kWaitMs);
    ASSERT_TRUE(cleared);
    EXPECT_EQ(cleared->payload, "A000 OK");
    EXPECT_EQ(Feed({"--address", address, "--list"}).out, "A000 0 sheets\n");
}

TEST(FeedTextTest, RelativeReferenceBecomesAbsoluteAndCommasAreRefused) {
    TempDir dir;
    emulator::FeedRequest request;
    request.chartOn = "front";
    request.it8 = "chart.txt";
    std::string why;
    const auto text = emulator::FeedText(request, &why);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->rfind("chart-on=front,it8=/", 0), 0u);
    EXPECT_THAT(*text, HasSubstr("/chart.txt,rotate=0,shift-x=0,shift-y=0"));
    request.it8 = dir.File("a,b.txt");
    EXPECT_FALSE(emulator::FeedText(request, &why));
    EXPECT_THAT(why, HasSubstr("comma"));
}

}  // namespace
}  // namespace calvix::test
