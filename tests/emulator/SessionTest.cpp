// The device side of a connection without sockets: framing, greeting, command lines, reply
// faults, uploads, state queries; and the scenario file that sets the faults.
#include "Capabilities.h"
#include "ScanAnswer.h"
#include "ScanImaging.h"
#include "Scenario.h"
#include "ServiceSession.h"
#include "WireFormat.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace calvix::emulator {
namespace {

using ::testing::ElementsAre;

std::string Frame(wire::FrameType type, const std::string& payload) { return wire::EncodeFrame(type, payload); }

TEST(FrameDecoderTest, WholeFramesFromAnyPieces) {
    const std::string stream = Frame(wire::FrameType::Hello, "service") + Frame(wire::FrameType::Text, "") +
                               Frame(wire::FrameType::Text, "lamps:1\r\n");
    wire::FrameDecoder decoder;
    std::vector<std::string> payloads;
    for (char c : stream) {
        std::size_t used = 0;
        wire::Frame frame;
        const auto byte = static_cast<unsigned char>(c);
        if (decoder.Feed(&byte, 1, &used, &frame) == wire::FrameDecoder::Result::FrameReady)
            payloads.push_back(frame.payload);
        ASSERT_EQ(used, 1u);
    }
    EXPECT_THAT(payloads, ElementsAre("service", "", "lamps:1\r\n"));
}

TEST(FrameDecoderTest, UnknownTypeOrOverlongLengthBreaksTheStreamForGood) {
    for (const std::string& bad : {std::string("X\0\0\0\0", 5), std::string("T\x01\x00\x01\x00", 5)}) {
        wire::FrameDecoder decoder;
        std::size_t used = 0;
        wire::Frame frame;
        const auto* bytes = reinterpret_cast<const unsigned char*>(bad.data());
        EXPECT_EQ(decoder.Feed(bytes, bad.size(), &used, &frame), wire::FrameDecoder::Result::Broken);
        const std::string good = Frame(wire::FrameType::Text, "x");
        EXPECT_EQ(decoder.Feed(reinterpret_cast<const unsigned char*>(good.data()), good.size(), &used, &frame),
                  wire::FrameDecoder::Result::Broken);
    }
}

class SessionTest : public ::testing::Test {
protected:
    ServiceSession& Session(int dropOn = 0) {
        session = std::make_unique<ServiceSession>(
            1, state, scenario, dropOn,
            [this](std::string*) {
                ++saves;
                return saveWorks;
            },
            [this](const std::string& line) { log.push_back(line); }, &scanSide, [this] { return unsent; });
        return *session;
    }
    // Feeds bytes and returns the payloads of the frames sent back, with their types.
    std::vector<std::string> Feed(const std::string& bytes) {
        std::vector<Outgoing> out;
        session->Receive(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &out);
        std::vector<std::string> frames;
        for (const Outgoing& item : out) {
            delays.push_back(item.delayMs);
            frames.push_back(item.bytes.substr(0, 1) + ":" + item.bytes.substr(wire::kHeaderSize));
        }
        return frames;
    }
    void Greeted() {
        Session();
        EXPECT_THAT(Feed(Frame(wire::FrameType::Hello, "service")), ElementsAre("H:Q71-000123"));
    }
    std::string Upload(std::uint32_t kind, const std::vector<std::uint8_t>& module) {
        std::string payload;
        wire::PutU32(payload, kind);
        payload.append(module.begin(), module.end());
        const auto frames = Feed(Frame(wire::FrameType::Upload, payload));
        EXPECT_EQ(frames.size(), 1u);
        return frames.empty() ? "" : frames[0];
    }
    static std::string Result(std::uint32_t code, std::uint32_t word) {
        std::string payload = "R:";
        wire::PutU32(payload, code);
        wire::PutU32(payload, word);
        return payload;
    }

    device::DeviceState state;
    Scenario scenario;
    ScanSide scanSide{state, scenario};
    std::size_t unsent = 0;
    std::unique_ptr<ServiceSession> session;
    std::vector<std::string> log;
    std::vector<int> delays;
    int saves = 0;
    bool saveWorks = true;
};

TEST_F(SessionTest, AnythingButAGreetingFirstClosesTheConnection) {
    for (const std::string& first : {Frame(wire::FrameType::Text, "lamps:1\r\n"), Frame(wire::FrameType::Hello, "x"),
                                    std::string("garbage")}) {
        Session();
        EXPECT_TRUE(Feed(first).empty());
        EXPECT_TRUE(session->WantsClose());
    }
}

TEST_F(SessionTest, CommandsSplitAcrossFramesAndJoinedInOne) {
    Greeted();
    EXPECT_TRUE(Feed(Frame(wire::FrameType::Text, "lam")).empty());
    EXPECT_THAT(Feed(Frame(wire::FrameType::Text, "ps:1\r\nlut_bypass:1,0\r\n\r\n")),
                ElementsAre("T:A000 OK\r\n", "T:A000 OK\r\n"));
    EXPECT_TRUE(state.lamps);
    EXPECT_TRUE(state.lutBypass[0]);
    EXPECT_EQ(saves, 2);
    EXPECT_THAT(log, ::testing::Contains("conn 1 <- \"lamps:1\\r\\n\""));
}

TEST_F(SessionTest, OverlongLineIsAnsweredOnceAndTheNextLineWorks) {
    Greeted();
    const std::string longLine(ServiceSession::kMaxCommandLine + 10, 'x');
    EXPECT_THAT(Feed(Frame(wire::FrameType::Text, longLine)), ElementsAre("T:E004 line too long\r\n"));
    EXPECT_TRUE(Feed(Frame(wire::FrameType::Text, longLine + "\r\n")).empty());
    EXPECT_THAT(Feed(Frame(wire::FrameType::Text, "lamps:1\r\n")), ElementsAre("T:A000 OK\r\n"));
}

TEST_F(SessionTest, ReplyFaults) {
    scenario.truncateReplies = 5;
    scenario.replyDelayMs = 2500;
    Greeted();
    EXPECT_THAT(Feed(Frame(wire::FrameType::Text, "lamps:1\r\n")), ElementsAre("T:A000 \r\n"));
    EXPECT_EQ(delays.back(), 2500);

    scenario.truncateReplies = 0;
    scenario.batchReplies = true;
    EXPECT_THAT(Feed(Frame(wire::FrameType::Text, "get_params\r\n")),
                ElementsAre("T:A000 OK\r\nA000 " + state.ParamsText() + "\r\n"));
}

TEST_F(SessionTest, DropEndsTheConnectionUnansweredAtTheRequest) {
    Session(2);
    Feed(Frame(wire::FrameType::Hello, "service"));
    EXPECT_EQ(Feed(Frame(wire::FrameType::Text, "lamps:1\r\n")).size(), 1u);
    EXPECT_TRUE(Feed(Frame(wire::FrameType::Text, "lut_bypass:1,0\r\nlamps:0\r\n")).empty());
    EXPECT_TRUE(session->WantsClose());
    EXPECT_TRUE(session->DropFired());
    EXPECT_FALSE(state.lutBypass[0]);
    EXPECT_TRUE(state.lamps);
}

TEST_F(SessionTest, UploadIsCheckedStoredAndSaved) {
    Greeted();
    std::vector<std::uint8_t> module(6227, 9);
    const std::uint8_t header[7] = {1, 6227 & 0xFF, 6227 >> 8, 0, 4, 1, 1};
    std::copy(std::begin(header), std::end(header), module.begin());

    EXPECT_EQ(Upload(4, module), Result(wire::kUploadInvalid, 1));
    EXPECT_EQ(Upload(5, std::vector<std::uint8_t>(module.begin(), module.end() - 1)), Result(wire::kUploadInvalid, 2));
    EXPECT_TRUE(state.lut.empty());
    EXPECT_EQ(Upload(5, module), Result(wire::kUploadStored, 0));
    EXPECT_EQ(state.lut, module);
    EXPECT_EQ(saves, 1);

    // Not saved means not stored: the device keeps the record it had.
    saveWorks = false;
    std::vector<std::uint8_t> other = module;
    other[100] = 1;
    EXPECT_EQ(Upload(5, other), Result(wire::kUploadNotSaved, 1));
    EXPECT_EQ(state.lut, module);

    scenario.refuseUploadCode = 0x2A;
    EXPECT_EQ(Upload(5, module), Result(wire::kUploadRefused, 0x2A));
    EXPECT_EQ(Feed(Frame(wire::FrameType::Upload, "abc")).size(), 1u);  // too short for a kind
    EXPECT_FALSE(session->WantsClose());
}

TEST_F(SessionTest, ScanConnectionReadsTheStateAndMayNotSendCommands) {
    Session();
    state.lamps = true;
    Feed(Frame(wire::FrameType::Hello, "scan"));
    EXPECT_THAT(Feed(Frame(wire::FrameType::StateQuery, "")),
                ElementsAre("D:" + state.Serialise() + scanSide.ReportText()));
    EXPECT_TRUE(Feed(Frame(wire::FrameType::Text, "lamps:0\r\n")).empty());
    EXPECT_TRUE(session->WantsClose());
    EXPECT_TRUE(state.lamps);
}

TEST_F(SessionTest, CommandLineOfExactlyTheLimitIsServed) {
    Greeted();
    const std::string limit(ServiceSession::kMaxCommandLine, 'x');
    EXPECT_THAT(Feed(Frame(wire::FrameType::Text, limit + "\r\n")), ElementsAre("T:E001 unknown command\r\n"));
    EXPECT_THAT(Feed(Frame(wire::FrameType::Text, limit + "x\r\n")), ElementsAre("T:E004 line too long\r\n"));
}

TEST_F(SessionTest, CapabilityRequestsAndMalformedOnesKeepTheConnection) {
    Session();
    Feed(Frame(wire::FrameType::Hello, "scan"));
    const auto ask = [this](const std::string& frame) {
        const auto frames = Feed(frame);
        EXPECT_EQ(frames.size(), 1u);
        return frames.empty() ? std::optional<wire::CapReply>() : wire::DecodeCapReply(frames[0].substr(2));
    };
    const auto set = ask(wire::EncodeCapRequest({0x8136, twain::MSG_SET, twain::TWTY_UINT16, std::string("\0\0", 2)}));
    ASSERT_TRUE(set);
    EXPECT_EQ(set->rc, twain::TWRC_SUCCESS);
    EXPECT_EQ(scanSide.Capabilities().Current(0x8136), std::string("\0\0", 2));
    // A set whose value does not fit its type: answered, not fatal.
    for (const std::string& bad : {std::string("\x36\x81\x06\x00\x04\x00\x01", 7), std::string("\x01", 1)}) {
        const auto reply = ask(Frame(wire::FrameType::CapRequest, bad));
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->cc, twain::TWCC_BADVALUE);
    }
    EXPECT_FALSE(session->WantsClose());
    EXPECT_THAT(log, ::testing::Contains("conn 1 <- cap 0x8136 msg 0x0006 type 4 value 0"));
}

TEST_F(SessionTest, OfflineDeviceRefusesOnlyTheScanGreeting) {
    scenario.offline = true;
    Session();
    EXPECT_TRUE(Feed(Frame(wire::FrameType::Hello, "scan")).empty());
    EXPECT_TRUE(session->WantsClose());
    for (const char* role : {"service", "control"}) {
        Session();
        EXPECT_THAT(Feed(Frame(wire::FrameType::Hello, role)), ElementsAre("H:Q71-000123")) << role;
    }
}

TEST_F(SessionTest, EachRoleHasItsOwnRequests) {
    Session();
    Feed(Frame(wire::FrameType::Hello, "control"));
    EXPECT_THAT(Feed(Frame(wire::FrameType::Feed, "blank")), ElementsAre("K:A000 OK"));
    EXPECT_EQ(scanSide.Feeder().Count(), 1u);
    EXPECT_TRUE(Feed(Frame(wire::FrameType::ScanRequest, "")).empty());
    EXPECT_TRUE(session->WantsClose());

    Session();
    Feed(Frame(wire::FrameType::Hello, "scan"));
    EXPECT_TRUE(Feed(Frame(wire::FrameType::Feed, "blank")).empty());
    EXPECT_TRUE(session->WantsClose());
    EXPECT_EQ(scanSide.Feeder().Count(), 1u);
}

TEST_F(SessionTest, ScanAnswersOnceItsPredecessorWasRead) {
    scanSide.SetPageSize(16, 8);
    Session();
    Feed(Frame(wire::FrameType::Hello, "scan"));
    scanSide.Feeder().Add(device::Sheet{});
    scanSide.Feeder().Add(device::Sheet{});
    std::vector<Outgoing> out;
    const std::string request = Frame(wire::FrameType::ScanRequest, "");
    session->Receive(reinterpret_cast<const unsigned char*>(request.data()), request.size(), &out);
    ASSERT_EQ(out.size(), 2u);  // the front, then ScanDone
    EXPECT_TRUE(test::DecodeScanAnswer(out[0].bytes + out[1].bytes).wellFormed);
    // The first answer still unread: the second request ends the connection, unanswered.
    unsent = ServiceSession::kMaxPendingReplies + 1;
    out.clear();
    session->Receive(reinterpret_cast<const unsigned char*>(request.data()), request.size(), &out);
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(session->WantsClose());
    EXPECT_EQ(scanSide.Feeder().Count(), 1u);
    // Room for one duplex scan of the largest images, not for two.
    const std::uint64_t duplex32 = 2 * device::FramedImageBytes(2331, 3307, 32);
    EXPECT_GE(session->OutputLimit(), duplex32 + ServiceSession::kMaxPendingReplies);
    EXPECT_LT(session->OutputLimit(), 2 * duplex32);
}

TEST(ScenarioTest, EveryKey) {
    Scenario s;
    std::string error;
    ASSERT_TRUE(ParseScenario("# faults\nserial=Q71-9\nduplex=0\nled=yes\nparams=SF=1\nrefuse_connections=1\n"
                              "reply_delay_ms=2500\ntruncate_replies=5\nbatch_replies=true\nrefuse_command=lamps\n"
                              "refuse_command=get_params\nno_reply=lut_bypass\nrefuse_upload=42\ndrop_after=3\n"
                              "feed=blank\nfeed=blank\nfront_response=0.9,0.01,1.2\nrear_response=1,0,1/1,0,1/0.5,0,1\n"
                              "noise=2.5\nseed=77\noffline=1\ntransfer_fail=rear\ntransfer_cancel=both\nbit_depth=32\n"
                              "cap_refuse=0x8136:10\ncap_refuse=33156:15\ncap_checkstatus=0x812D\n"
                              "hello_timeout_ms=300\nidle_timeout_s=2\ncrosstalk=0.9,0.1,0,0,1,0,0,0,1\n"
                              "front_crosstalk=1,0,0,0.2,0.8,0,0,0,1\nblur=0.5,1,1.5\nfalloff=4\nmisregister=0.5,-1,3,-3\n"
                              "scale=0.995\nshot_noise=0.25\n",
                              &s, &error))
        << error;
    device::DeviceState state;
    s.ApplyModel(state);
    EXPECT_EQ(state.model.serial, "Q71-9");
    EXPECT_FALSE(state.model.duplex);
    EXPECT_TRUE(state.model.led);
    EXPECT_EQ(state.ParamsText(), "SF=1");
    EXPECT_TRUE(s.refuseConnections);
    EXPECT_EQ(s.replyDelayMs, 2500);
    EXPECT_EQ(s.truncateReplies, 5);
    EXPECT_TRUE(s.batchReplies);
    EXPECT_THAT(s.commands.refused, ElementsAre("lamps", "get_params"));
    EXPECT_THAT(s.commands.unanswered, ElementsAre("lut_bypass"));
    EXPECT_EQ(s.refuseUploadCode, 42u);
    EXPECT_EQ(s.dropAfterRequests, 3);
    EXPECT_EQ(s.feeds.size(), 2u);
    EXPECT_EQ(s.Response(device::Side::Front).channel[2].gamma, 1.2);
    EXPECT_EQ(s.Response(device::Side::Rear).channel[2].gain, 0.5);
    EXPECT_EQ(s.noiseSigma, 2.5);
    EXPECT_EQ(s.seed, 77u);
    EXPECT_TRUE(s.offline);
    EXPECT_EQ(s.transferFail, kFaceRear);
    EXPECT_EQ(s.transferCancel, kFaceFront | kFaceRear);
    EXPECT_EQ(s.bitCount, 32);
    EXPECT_THAT(s.capFaults.refuse, ElementsAre(std::pair<std::uint16_t, std::uint16_t>{0x8136, 10},
                                                    std::pair<std::uint16_t, std::uint16_t>{0x8184, 15}));
    EXPECT_THAT(s.capFaults.checkStatus, ElementsAre(0x812D));
    EXPECT_EQ(s.helloTimeoutMs, 300);
    EXPECT_EQ(s.idleTimeoutS, 2);
    // The crosstalk per side, the rest of the optics for both.
    EXPECT_EQ(s.optics[0].crosstalk[3], 0.2);
    EXPECT_EQ(s.optics[1].crosstalk[0], 0.9);
    for (const Optics& o : s.optics) {
        EXPECT_EQ(o.blurSigma, (std::array<double, 3>{0.5, 1, 1.5}));
        EXPECT_EQ(o.falloffPercent, 4);
        EXPECT_EQ(o.misregister, (std::array<double, 4>{0.5, -1, 3, -3}));
        EXPECT_EQ(o.scale, 0.995);
        EXPECT_EQ(o.shotNoise, 0.25);
    }
    // Unset responses are the sides' defaults.
    EXPECT_EQ(Scenario{}.Response(device::Side::Rear).channel[0].gain,
              device::DefaultResponse(device::Side::Rear).channel[0].gain);
}

class BadScenarioLine : public ::testing::TestWithParam<const char*> {};

TEST_P(BadScenarioLine, IsNamedInTheError) {
    Scenario s;
    std::string error;
    EXPECT_FALSE(ParseScenario(std::string("led=1\n") + GetParam() + "\n", &s, &error));
    EXPECT_THAT(error, ::testing::HasSubstr("line 2"));
}

INSTANTIATE_TEST_SUITE_P(Values, BadScenarioLine,
                         ::testing::Values("duplex=2", "reply_delay_ms=-1", "reply_delay_ms=60001",
                                           "reply_delay_ms=12x", "refuse_upload=4294967296", "unknown=1",
                                           "no equals sign", "refuse_command=", "serial=", "feed=chart-on=front",
                                           "front_response=1,0", "noise=nan", "noise=-1", "transfer_fail=top",
                                           "bit_depth=16", "cap_refuse=0x8136", "cap_refuse=0x10000:1",
                                           "cap_checkstatus=x", "hello_timeout_ms=0", "idle_timeout_s=0",
                                           "crosstalk=1,0,0,0,1,0,0,0,1.01", "crosstalk=1,0,0,0,1,0,0,0", "rear_crosstalk=3,-2,0,0,1,0,0,0,1",
                                           "blur=5.01", "blur=1,2", "blur=1,1,1,1", "falloff=-1", "falloff=51",
                                           "misregister=0,0,0,3.1", "misregister=0,0,0", "scale=0.949", "scale=1.051",
                                           "blur=1,,1", "blur=1x", "falloff=nan", "misregister=0,0,0,",
                                           "shot_noise=10.5", "truth_dir=/nonexistent/dir", "truth_dir="));

}  // namespace
}  // namespace calvix::emulator
