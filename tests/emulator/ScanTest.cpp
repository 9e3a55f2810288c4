// The emulated Q71's scan side without sockets: sheet lines, the feeder, which faces a scan
// delivers, the sensor response and stored LUT in the pixels, bit depths and transfer faults.
#include "ScanAnswer.h"
#include "ScanImaging.h"
#include "ScanSide.h"
#include "TempDir.h"
#include "TestData.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include <sys/stat.h>

namespace calvix::emulator {
namespace {

using ::testing::HasSubstr;
using namespace twain;

using test::ScanAnswer;

const std::string kR1 = std::string(CALVIX_TEST_DATA_DIR) + "/it8/R1.txt";

struct SheetCase {
    std::string text;
    std::string expected;  // canonical description, or a part of the error
    bool ok;
};

class SheetLines : public ::testing::TestWithParam<SheetCase> {};

TEST_P(SheetLines, ParseOrExplain) {
    const SheetCase& c = GetParam();
    device::Sheet sheet;
    std::string error;
    ASSERT_EQ(device::ParseSheet(c.text, &sheet, &error), c.ok) << error;
    if (c.ok) {
        EXPECT_EQ(sheet.description, c.expected);
        EXPECT_EQ(sheet.front.chart != nullptr, c.expected.find("chart-on=front") == 0);
        EXPECT_EQ(sheet.rear.chart != nullptr, c.expected.find("chart-on=rear") == 0);
    } else {
        EXPECT_THAT(error, HasSubstr(c.expected));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SheetLines,
    ::testing::Values(
        SheetCase{"blank", "blank", true},
        SheetCase{"blank,level=0.70", "blank,level=0.7", true},
        SheetCase{"blank,level=1", "blank,level=1", true},
        SheetCase{"blank,level=0.04", "level must be 0.05 to 1", false},
        SheetCase{"blank,level=1.5", "level must be 0.05 to 1", false},
        SheetCase{"blank,level=0.5x", "level must be 0.05 to 1", false},
        SheetCase{"chart-on=front,it8=" + kR1, "chart-on=front,it8=" + kR1 + ",rotate=0,shift-x=0,shift-y=0", true},
        SheetCase{"shift-y=2000,it8=" + kR1 + ",rotate=-0.5,chart-on=rear,shift-x=-2000",
                  "chart-on=rear,it8=" + kR1 + ",rotate=-0.5,shift-x=-2000,shift-y=2000", true},
        SheetCase{"", "chart-on=front|rear or blank", false},
        SheetCase{"blank,rotate=1", "expected key=value", false},
        SheetCase{"chart-on=both,it8=" + kR1, "front or rear", false},
        SheetCase{"it8=" + kR1, "chart-on=front|rear or blank", false},
        SheetCase{"chart-on=front", "it8=FILE", false},
        SheetCase{"chart-on=front,it8=" + kR1 + ",rotate=180.01", "rotate", false},
        SheetCase{"chart-on=front,it8=" + kR1 + ",rotate=nan", "rotate", false},
        SheetCase{"chart-on=front,it8=" + kR1 + ",rotate=1x", "rotate", false},
        SheetCase{"chart-on=front,it8=" + kR1 + ",shift-x=2001", "shift", false},
        SheetCase{"chart-on=front,it8=" + kR1 + ",shift-y=1.5", "shift", false},
        SheetCase{"chart-on=front,it8=" + kR1 + ",size=2", "unknown key", false},
        SheetCase{"chart-on=front,it8=/dev/zero", "not a readable regular file", false},
        // Any text, or random bytes, is read to its end; a reference must give every grey.
        SheetCase{"chart-on=front,it8=" + std::string(CALVIX_TEST_DATA_DIR) + "/images/ok_info_8.bmp",
                  "not an IT8 reference: '" + std::string(CALVIX_TEST_DATA_DIR) + "/images/ok_info_8.bmp' has no", false},
        SheetCase{"chart-on=front,it8=" + std::string(CALVIX_TEST_DATA_DIR), "not a readable regular file", false},
        SheetCase{"chart-on=front,it8=" + kR1 + std::string(5000, ' '), "too long", false},
        // At the limit the line is read (and found wrong for what it says).
        SheetCase{"x=" + std::string(device::kMaxSheetText - 2, 'y'), "unknown key", false},
        SheetCase{"x=" + std::string(device::kMaxSheetText - 1, 'y'), "too long", false}));

TEST(FeederTest, FirstInFirstOutUpToItsCapacity) {
    device::Feeder feeder;
    EXPECT_FALSE(feeder.Take());
    for (std::size_t i = 0; i < device::Feeder::kCapacity; ++i) {
        device::Sheet sheet;
        sheet.description = std::to_string(i);
        ASSERT_TRUE(feeder.Add(sheet));
    }
    EXPECT_FALSE(feeder.Add(device::Sheet{}));
    EXPECT_EQ(feeder.Take()->description, "0");
    EXPECT_EQ(feeder.Take()->description, "1");
    EXPECT_EQ(feeder.Count(), device::Feeder::kCapacity - 2);
    feeder.Clear();
    EXPECT_FALSE(feeder.Loaded());
}

TEST(ToneResponseTest, OneGroupForAllOrOnePerChannel) {
    ToneResponse tone;
    ASSERT_TRUE(device::ParseToneResponse("0.9,0.02,1.1", &tone));
    for (const ChannelResponse& c : tone.channel) EXPECT_EQ(std::make_tuple(c.gain, c.offset, c.gamma), std::make_tuple(0.9, 0.02, 1.1));
    ASSERT_TRUE(device::ParseToneResponse("1,0,1/0.5,-0.1,2/4,1,0.1", &tone));
    EXPECT_EQ(tone.channel[1].offset, -0.1);
    EXPECT_EQ(tone.channel[2].gain, 4.0);
    for (const char* bad : {"", "1,0", "1,0,1,1", "1,0,1/1,0,1", "1,0,1/1,0,1/1,0,1/1,0,1", "4.1,0,1", "1,1.5,1",
                            "1,0,0.05", "nan,0,1", "1,0,inf", "1;0;1"}) {
        EXPECT_FALSE(device::ParseToneResponse(bad, &tone)) << bad;
    }
    EXPECT_NE(device::DefaultResponse(device::Side::Front).channel[0].gain,
              device::DefaultResponse(device::Side::Rear).channel[0].gain);
}

// A record the device accepts whose tables turn every raw value upside down.
std::vector<std::uint8_t> InvertedRecord(std::uint8_t sides) {
    std::vector<std::uint8_t> lut(device::kLutModuleLength, 0);
    const std::uint8_t header[7] = {1, 6227 & 0xFF, 6227 >> 8, 0x00, 0x04, 1, sides};
    std::copy(std::begin(header), std::end(header), lut.begin());
    for (const auto& side : device::kLutTableOffset)
        for (const std::size_t offset : side)
            for (int raw = 0; raw < 1024; ++raw) lut[offset + static_cast<std::size_t>(raw)] = static_cast<std::uint8_t>(255 - raw / 4);
    return lut;
}

// Pixels of a known 2 x 2 image as the three bit depths carry them: rows bottom-up, padded to
// four bytes, grey as Rec. 601 luma with its palette, 32 bits as blue, green, red, zero.
TEST(ImageFramesTest, BitDepthsCarryThePixels) {
    ScanBitmap image(2, 2);
    const std::uint8_t top[6] = {0, 0, 255, 0, 255, 0};      // red, green (blue, green, red bytes)
    const std::uint8_t bottom[6] = {255, 0, 0, 30, 200, 10};  // blue, a mixed colour
    std::copy(std::begin(top), std::end(top), image.Row(0));
    std::copy(std::begin(bottom), std::end(bottom), image.Row(1));
    const struct {
        std::uint16_t bitCount;
        std::string rows;  // after the palette
    } cases[] = {
        {24, std::string("\xFF\0\0\x1E\xC8\x0A\0\0" "\0\0\xFF\0\xFF\0\0\0", 16)},
        {32, std::string("\xFF\0\0\0\x1E\xC8\x0A\0" "\0\0\xFF\0\0\xFF\0\0", 16)},
        {8, std::string("\x1D\x7C\0\0" "\x4C\x96\0\0", 8)},  // 29, 124; 76, 150
    };
    for (const auto& c : cases) {
        std::string frames;
        device::AppendImageFrames(image, 1, wire::ImageDisposition::Deliver, c.bitCount, 400, &frames);
        const ScanAnswer answer = test::DecodeScanAnswer(frames + wire::EncodeScanDone({}));
        ASSERT_TRUE(answer.wellFormed) << c.bitCount;
        EXPECT_EQ(answer.headers[0].face, 1);
        EXPECT_EQ(answer.images[0].substr(c.bitCount == 8 ? 1024 : 0), c.rows) << c.bitCount;
        EXPECT_EQ(frames.size(), device::FramedImageBytes(2, 2, c.bitCount));
    }
}

TEST(ImageFramesTest, DataFramesNeverExceedTheChunk) {
    ScanBitmap image(2331, 100);
    std::string frames;
    device::AppendImageFrames(image, 0, wire::ImageDisposition::Deliver, 24, 400, &frames);
    wire::FrameDecoder decoder;
    const auto* bytes = reinterpret_cast<const unsigned char*>(frames.data());
    std::vector<std::size_t> sizes;
    for (std::size_t at = 0; at < frames.size();) {
        std::size_t used = 0;
        wire::Frame frame;
        ASSERT_EQ(decoder.Feed(bytes + at, frames.size() - at, &used, &frame), wire::FrameDecoder::Result::FrameReady);
        at += used;
        sizes.push_back(frame.payload.size());
    }
    // 6996 x 100 bytes: ten full chunks and the rest, after the 18-byte header.
    EXPECT_EQ(sizes.size(), 12u);
    EXPECT_EQ(sizes.front(), 18u);
    EXPECT_EQ(sizes[1], wire::kMaxImageChunk);
    EXPECT_EQ(sizes.back(), 699600u - 10 * wire::kMaxImageChunk);
}

class ScanSideTest : public ::testing::Test {
protected:
    ScanAnswer Scan() {
        std::vector<std::string> parts;
        side.Scan(&parts, [this](const std::string& line) { log.push_back(line); });
        std::string bytes;
        for (const std::string& part : parts) bytes += part;
        return test::DecodeScanAnswer(bytes);
    }
    void Feed(const std::string& text) { ASSERT_EQ(side.Control(text, [](const std::string&) {}), "A000 OK"); }
    void EnableDuplex(bool on) {
        const auto reply = side.Capabilities().Handle(
            {CAP_DUPLEXENABLED, MSG_SET, TWTY_BOOL, device::ItemBytes(TWTY_BOOL, on ? 1 : 0)}, {true, true, ""}, {});
        ASSERT_EQ(reply.rc, TWRC_SUCCESS);
    }

    device::DeviceState state;
    Scenario scenario;
    ScanSide side{state, scenario};
    std::vector<std::string> log;
};

TEST_F(ScanSideTest, EmptyFeederAnswersNoPaperWithoutImages) {
    const ScanAnswer answer = Scan();
    EXPECT_TRUE(answer.wellFormed);
    EXPECT_TRUE(answer.headers.empty());
    ASSERT_TRUE(answer.done);
    EXPECT_EQ(answer.done->rc, TWRC_FAILURE);
    EXPECT_EQ(answer.done->cc, TWCC_OPERATIONERROR);
}

TEST_F(ScanSideTest, FacesFollowModelAndDuplexSetting) {
    side.SetPageSize(40, 30);
    const struct {
        bool duplexModel;
        bool enabled;
        std::vector<std::uint8_t> faces;
    } cases[] = {{true, true, {0, 1}}, {true, false, {0}}, {false, false, {0}}};
    for (const auto& c : cases) {
        state.model.duplex = true;
        EnableDuplex(c.enabled);
        state.model.duplex = c.duplexModel;
        Feed("blank");
        Feed("blank");
        const ScanAnswer answer = Scan();
        ASSERT_TRUE(answer.wellFormed);
        std::vector<std::uint8_t> faces;
        for (const auto& h : answer.headers) faces.push_back(h.face);
        EXPECT_EQ(faces, c.faces);
        EXPECT_EQ(answer.done->rc, TWRC_SUCCESS);
        EXPECT_EQ(side.Feeder().Count(), 1u);  // one sheet per scan, whatever it delivers
        side.Feeder().Clear();
    }
}

TEST_F(ScanSideTest, GreyPatchShowsTheStoredLutUnlessBypassed) {
    // The grey strip lies in the top half of the page; the rest is not needed here.
    side.SetPageSize(2331, 1500);
    ChartColours colours;
    std::string error;
    ASSERT_TRUE(LoadChartColours(kR1, &colours, &error)) << error;
    // The file's own values, the first and last patch and two greys: A1, L22, GS0, GS5.
    for (const auto& [xyz, X, Y, Z] : {std::tuple{colours.patches[0][0], 7.46, 6.24, 4.66},
                                       std::tuple{colours.patches[11][21], 31.80, 28.12, 26.83},
                                       std::tuple{colours.greys[0], 79.12, 82.06, 67.39},
                                       std::tuple{colours.greys[5], 45.24, 47.06, 39.34}}) {
        EXPECT_NEAR(xyz.X, X, 1e-4);
        EXPECT_NEAR(xyz.Y, Y, 1e-4);
        EXPECT_NEAR(xyz.Z, Z, 1e-4);
    }
    const int grey = 5;
    const EncodedRgb rgb = XyzD50ToSrgb(colours.greys[grey]);
    const ToneResponse front = device::DefaultResponse(device::Side::Front);
    const ToneResponse rear = device::DefaultResponse(device::Side::Rear);
    const int raw[3] = {RawValue(front.channel[0], rgb.r), RawValue(front.channel[1], rgb.g), RawValue(front.channel[2], rgb.b)};
    const int paper[3] = {RawValue(rear.channel[0], PaperWhiteLevel), RawValue(rear.channel[1], PaperWhiteLevel),
                          RawValue(rear.channel[2], PaperWhiteLevel)};
    const int x = 165 + static_cast<int>((grey + 0.5) * 2000 / 24);
    const int y = 100 + 15 * 1350 / 16;

    const struct {
        const char* what;
        std::uint8_t sides;  // of the stored record; 0 for none
        bool bypassFront;
        bool inverted[2];
    } cases[] = {{"no LUT stored", 0, false, {false, false}},
                 {"inverted LUT", 2, false, {true, true}},
                 {"front bypassed", 2, true, {false, true}},
                 {"front-only record", 1, false, {true, false}}};
    EnableDuplex(true);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        state.lut = c.sides ? InvertedRecord(c.sides) : std::vector<std::uint8_t>{};
        state.lutBypass[0] = c.bypassFront;
        Feed("chart-on=front,it8=" + kR1);
        const ScanAnswer answer = Scan();
        ASSERT_EQ(answer.images.size(), 2u);
        auto shown = [](int value, bool inverted) { return inverted ? 255 - value / 4 : value / 4; };
        EXPECT_EQ(answer.Pixel(0, x, y), (std::array<int, 3>{shown(raw[2], c.inverted[0]), shown(raw[1], c.inverted[0]),
                                                              shown(raw[0], c.inverted[0])}));
        EXPECT_EQ(answer.Pixel(1, x, y), (std::array<int, 3>{shown(paper[2], c.inverted[1]), shown(paper[1], c.inverted[1]),
                                                              shown(paper[0], c.inverted[1])}));
    }
    EXPECT_THAT(log, ::testing::Contains(HasSubstr("front image 2331x1500, 24 bits, 10494000 bytes")));
}

TEST_F(ScanSideTest, EachSideGoesThroughItsOpticsAndWritesItsTruth) {
    side.SetPageSize(400, 800);
    test::TempDir dir;
    std::string why;
    for (const auto& [key, value] : {std::pair<const char*, std::string>{"blur", "1.5"}, {"rear_crosstalk", "0.9,0.1,0,0,1,0,0,0,1"},
                                     {"truth_dir", dir.Path()}})
        ASSERT_TRUE(ApplyScenarioSetting(key, value, &scenario, &why)) << key << ": " << why;
    EnableDuplex(true);
    Feed("chart-on=front,it8=" + kR1);
    const ScanAnswer answer = Scan();
    ASSERT_EQ(answer.images.size(), 2u);
    // The card's left edge at x 102.5 is blurred: the pixels beside it lie between page and card.
    const std::array<int, 3> page = answer.Pixel(0, 90, 700), card = answer.Pixel(0, 115, 700), edge = answer.Pixel(0, 103, 700);
    EXPECT_GT(edge[1], page[1] + 5);
    EXPECT_LT(edge[1], card[1] - 5);
    const std::string front = test::ReadFileText(dir.File("scan0001_front.json"));
    const std::string rear = test::ReadFileText(dir.File("scan0001_rear.json"));
    EXPECT_THAT(front, HasSubstr("\"sigma_px\": [1.5, 1.5, 1.5]"));
    EXPECT_THAT(front, HasSubstr("\"crosstalk\": [[1, 0, 0], [0, 1, 0], [0, 0, 1]]"));
    EXPECT_THAT(front, HasSubstr("\"chart\": {\"rotation_degrees\": 0"));
    EXPECT_THAT(rear, HasSubstr("\"crosstalk\": [[0.9, 0.1, 0], [0, 1, 0], [0, 0, 1]]"));
    EXPECT_THAT(rear, HasSubstr("\"chart\": null"));
    EXPECT_THAT(log, ::testing::Contains(HasSubstr("truth written: " + dir.File("scan0001_rear.json"))));
}

// A restarted emulator numbers on from its earlier truth files; a FIFO under the next name stays a FIFO.
TEST_F(ScanSideTest, TruthFilesNumberOnAndNeverReplaceANode) {
    side.SetPageSize(100, 100);
    test::TempDir dir;
    test::WriteFileText(dir.File("scan1002_front.json"), "earlier run");
    std::string why;
    ASSERT_TRUE(ApplyScenarioSetting("truth_dir", dir.Path(), &scenario, &why)) << why;
    EnableDuplex(true);
    for (const int n : {1003, 1004}) {
        if (n == 1004) {
            ASSERT_EQ(::mkfifo(dir.File("scan1004_rear.json").c_str(), 0600), 0);
        }
        Feed("blank");
        ASSERT_EQ(Scan().images.size(), 2u);
        EXPECT_TRUE(test::FileExists(dir.File("scan" + std::to_string(n) + "_front.json")));
    }
    EXPECT_TRUE(test::FileExists(dir.File("scan1003_rear.json")) && std::filesystem::is_fifo(dir.File("scan1004_rear.json")));
    EXPECT_THAT(log, ::testing::Contains(HasSubstr("truth not written: ")));
}

TEST_F(ScanSideTest, BitDepthsAndTransferFaultsInTheHeaders) {
    side.SetPageSize(33, 7);
    EnableDuplex(true);
    const struct {
        int bitCount;
        unsigned fail, cancel;
        wire::ImageDisposition front, rear;
        std::uint32_t bytes;
    } cases[] = {
        {24, 0, 0, wire::ImageDisposition::Deliver, wire::ImageDisposition::Deliver, 100 * 7},
        {8, kFaceFront, 0, wire::ImageDisposition::Fail, wire::ImageDisposition::Deliver, 1024 + 36 * 7},
        {32, 0, kFaceRear, wire::ImageDisposition::Deliver, wire::ImageDisposition::Cancel, 132 * 7},
        {24, kFaceFront | kFaceRear, 0, wire::ImageDisposition::Fail, wire::ImageDisposition::Fail, 100 * 7},
    };
    for (const auto& c : cases) {
        scenario.bitCount = c.bitCount;
        scenario.transferFail = c.fail;
        scenario.transferCancel = c.cancel;
        Feed("blank");
        const ScanAnswer answer = Scan();
        ASSERT_TRUE(answer.wellFormed) << c.bitCount;
        ASSERT_EQ(answer.headers.size(), 2u);
        for (std::size_t face = 0; face < 2; ++face) {
            const wire::ImageHeader& h = answer.headers[face];
            EXPECT_EQ(h.bitCount, c.bitCount);
            EXPECT_EQ(h.byteCount, c.bytes);
            EXPECT_EQ(answer.images[face].size(), c.bytes);  // the data follows whatever the disposition
            EXPECT_EQ(std::make_tuple(h.width, h.height, h.dpi), std::make_tuple(33u, 7u, 400));
        }
        EXPECT_EQ(answer.headers[0].disposition, c.front);
        EXPECT_EQ(answer.headers[1].disposition, c.rear);
        EXPECT_EQ(answer.done->rc, TWRC_SUCCESS);
        if (c.bitCount == 8) {
            EXPECT_EQ(answer.images[0].substr(4 * 200, 4), std::string("\xC8\xC8\xC8\0", 4));  // grey palette
        }
    }
}

TEST_F(ScanSideTest, ControlRequestsAndTheReport) {
    const auto control = [this](const std::string& text) { return side.Control(text, [](const std::string&) {}); };
    EXPECT_EQ(control("list"), "A000 0 sheets");
    EXPECT_EQ(control("blank"), "A000 OK");
    EXPECT_EQ(control("chart-on=rear,it8=" + kR1 + ",shift-x=5"), "A000 OK");
    EXPECT_EQ(control("list"), "A000 2 sheets\nblank\nchart-on=rear,it8=" + kR1 + ",rotate=0,shift-x=5,shift-y=0");
    EXPECT_THAT(control("chart-on=front,it8=/no/such/file"), HasSubstr("E002 not a readable regular file"));
    EXPECT_THAT(side.ReportText(), HasSubstr("feeder_sheets=2\n"));
    EXPECT_THAT(side.ReportText(), HasSubstr("cap_0x1118=300\n"));
    EXPECT_EQ(control("clear"), "A000 OK");
    for (std::size_t i = 0; i < device::Feeder::kCapacity; ++i) control("blank");
    EXPECT_EQ(control("blank"), "E005 feeder full");
}

}  // namespace
}  // namespace calvix::emulator
