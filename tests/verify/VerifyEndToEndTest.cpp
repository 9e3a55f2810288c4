// calvix-verify as a customer runs it: the real tool against the emulated Q71 right after a
// real unattended calibration (pass, certificate, history), and against a scanner whose stored
// LUT was made for other sensors (fail, naming the side and the patches).
#include "EmulatorProcess.h"
#include "JsonText.h"
#include "VerifyReport.h"
#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

namespace calvix::test {
namespace {

const std::string kR1 = std::string(CALVIX_TEST_DATA_DIR) + "/it8/R1.txt";
const std::string kRear = "1.04,0.00,0.90/0.93,0.02,1.02/1.00,0.01,0.94";

std::vector<std::string> EmulatorArgs(const std::string& frontResponse, int verifications, bool calibrate) {
    std::vector<std::string> args = {"--duplex", "1",    "--led",  "1", "--noise", "1.5", "--seed", "7",
                                     "--front-response", frontResponse, "--rear-response", kRear};
    const int sheets = (calibrate ? 1 : 0) + verifications;
    for (int i = 0; i < sheets; ++i) {
        args.push_back("--feed");
        args.push_back("chart-on=front,it8=" + kR1 + ",rotate=0.3,shift-x=8");
        args.push_back("--feed");
        args.push_back("chart-on=rear,it8=" + kR1 + ",rotate=-0.4,shift-y=12");
    }
    return args;
}

class VerifyEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_.File("config/Zelmar GmbH"));
        std::ofstream(dir_.File("config/Zelmar GmbH/Calvix.reg")) << "[Software\\Zelmar GmbH\\Calvix]\r\n"
                                                                    << "\"WarmUpTime\"=dword:00000000\r\n";
        ::setenv("XDG_DATA_HOME", dir_.File("data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", dir_.File("config").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", dir_.Path().c_str(), 1);
    }
    ProgramResult Calibrate() {
        return RunProgram({std::string(CALVIX_BIN_DIR) + "/calvix", "--unattended", "--reference", kR1}, dir_.Path());
    }
    ProgramResult Verify(std::vector<std::string> more = {}) {
        std::vector<std::string> argv = {std::string(CALVIX_BIN_DIR) + "/calvix-verify", "--unattended", "-r", kR1};
        argv.insert(argv.end(), more.begin(), more.end());
        return RunProgram(argv, dir_.Path());
    }
    // The stored record as the emulator keeps it, written out as the 6227-byte file.
    std::string RecordFromState() {
        std::ifstream state(dir_.File("device.state"));
        std::string line, bytes;
        while (std::getline(state, line))
            if (line.rfind("lut=", 0) == 0)
                for (std::size_t i = 4; i + 1 < line.size(); i += 2)
                    bytes += static_cast<char>(std::stoi(line.substr(i, 2), nullptr, 16));
        WriteFileText(dir_.File("record.bin"), bytes);
        return dir_.File("record.bin");
    }
    static std::string VerdictLine(const std::string& out) {
        const std::size_t at = out.find("verdict: ");
        return at == std::string::npos ? "" : out.substr(at, out.find('\n', at) - at);
    }
    TempDir dir_;
};

const std::string kFront = "0.90,0.03,1.15/0.95,0.02,1.10/0.85,0.04,1.25";

TEST_F(VerifyEndToEndTest, PassesAfterTheCalibrationWithCertificateAndHistory) {
    EmulatorProcess emulator(dir_.File("device.state"), dir_.File("emulator.log"), EmulatorArgs(kFront, 4, true));
    ASSERT_TRUE(emulator.Started());
    ScopedDeviceAddress address(emulator.Address());
    const ProgramResult calibration = Calibrate();
    ASSERT_EQ(calibration.exitCode, 0) << calibration.out << calibration.err;

    // Profiles made from the verification scans themselves, through the LUT in force.
    const ProgramResult first = Verify({"--profile-out", dir_.File("made")});
    EXPECT_EQ(first.exitCode, 0) << first.out << first.err;
    EXPECT_EQ(VerdictLine(first.out), "verdict: PASS") << first.out;
    EXPECT_NE(first.out.find("rear side"), std::string::npos);
    for (const char* side : {"front", "rear"})
        EXPECT_NE(first.out.find(std::string(side) + " profile: " + dir_.File("made/Zelmar-Q71-")), std::string::npos)
            << first.out;

    const ProgramResult second = Verify({"--record", RecordFromState(), "--report", dir_.File("cert.pdf")});
    EXPECT_EQ(second.exitCode, 0) << second.out << second.err;
    EXPECT_EQ(ReadFileText(dir_.File("cert.pdf")).substr(0, 5), "%PDF-");
    verify::JsonValue json;
    std::string error;
    ASSERT_TRUE(verify::ParseJson(ReadFileText(dir_.File("cert.json")), json, error)) << error;
    const std::string serial = json.Find("scanner")->TextOr("serial", "");
    EXPECT_FALSE(serial.empty());
    EXPECT_EQ(json.Find("lut_record")->TextOr("serial", ""), serial);
    EXPECT_EQ(json.Find("lut_record")->Find("of_this_scanner")->boolean, true);
    EXPECT_EQ(json.Find("lut_record")->NumberOr("sides", 0), 2);
    ASSERT_EQ(json.Find("sides")->items.size(), 2u);
    EXPECT_TRUE(json.Find("sides")->items[1].Find("pass")->boolean);

    // That run read through the profiles the calibration stored, found by serial and side.
    // Without them the calibrated scan reads through the calibration's own encoding, far better
    // than as sRGB (the reading that measured two encodings' mismatch: mean ~17).
    std::filesystem::rename(dir_.File("data/icc"), dir_.File("icc-away"));
    EXPECT_EQ(Verify({"--no-history", "--report", dir_.File("encoded.pdf")}).exitCode, 0);
    EXPECT_EQ(Verify({"--assume-srgb", "--report", dir_.File("srgb.pdf")}).exitCode, 0);
    verify::JsonValue encoded, srgb;
    ASSERT_TRUE(verify::ParseJson(ReadFileText(dir_.File("encoded.json")), encoded, error)) << error;
    ASSERT_TRUE(verify::ParseJson(ReadFileText(dir_.File("srgb.json")), srgb, error)) << error;
    for (std::size_t k = 0; k < 2; ++k) {
        const std::string side = json.Find("sides")->items[k].TextOr("side", "");
        const verify::JsonValue& profiled = *json.Find("sides")->items[k].Find("delta_e2000");
        const verify::JsonValue& reference = *encoded.Find("sides")->items.at(k).Find("delta_e2000");
        const verify::JsonValue& assumed = *srgb.Find("sides")->items.at(k).Find("delta_e2000");
        EXPECT_EQ(profiled.TextOr("profile", ""), dir_.File("data/icc/Zelmar-Q71-" + serial + "-" + side + ".icc"));
        EXPECT_EQ(reference.TextOr("encoding", ""), "calibration reference encoding (gamma 1.0, plain matrix)");
        EXPECT_EQ(assumed.TextOr("encoding", ""), "sRGB (assumed)");
        EXPECT_LT(profiled.NumberOr("mean", 99), 2.0) << side;
        EXPECT_LT(reference.NumberOr("mean", 99), 3.0) << side;
        EXPECT_LT(reference.NumberOr("p90", 99), 6.0) << side;
        EXPECT_GT(assumed.NumberOr("mean", 0), 4 * reference.NumberOr("mean", 99)) << side;
    }
    const ProgramResult history =
        RunProgram({std::string(CALVIX_BIN_DIR) + "/calvix-verify", "--history", serial}, dir_.Path());
    EXPECT_EQ(history.exitCode, 0) << history.err;
    EXPECT_NE(history.out.find(": 3 runs"), std::string::npos) << history.out;
    EXPECT_NE(history.out.find("\n   3  "), std::string::npos) << history.out;
    EXPECT_EQ(history.out.find("\n   4  "), std::string::npos) << history.out;
    EXPECT_NE(history.out.find("trend (least-squares slope, levels per run): front mean"), std::string::npos)
        << history.out;
    EXPECT_EQ(emulator.Stop(), 0);
}

struct WrongLut {
    const char* name;
    const char* frontResponse;
    const char* chartCheck;  // in the verdict when the wedge also fails the calibration's grey check
};

class WrongLutTest : public VerifyEndToEndTest, public ::testing::WithParamInterface<WrongLut> {};

TEST_P(WrongLutTest, FailsNamingTheSideAndItsPatches) {
    {
        EmulatorProcess emulator(dir_.File("device.state"), dir_.File("emulator.log"), EmulatorArgs(kFront, 0, true));
        ASSERT_TRUE(emulator.Started());
        ScopedDeviceAddress address(emulator.Address());
        ASSERT_EQ(Calibrate().exitCode, 0);
        EXPECT_EQ(emulator.Stop(), 0);
    }
    // The same device with another front sensor: the stored front tables no longer fit it.
    EmulatorProcess emulator(dir_.File("device.state"), dir_.File("emulator2.log"),
                             EmulatorArgs(GetParam().frontResponse, 1, false));
    ASSERT_TRUE(emulator.Started());
    ScopedDeviceAddress address(emulator.Address());
    const ProgramResult run = Verify({"--profile-out", dir_.File("made")});
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_NE(run.out.find(*GetParam().chartCheck ? "front profile: none stored, the side failed its chart check"
                                                  : "front profile: none stored, the side did not pass"), std::string::npos);
    const std::string verdict = VerdictLine(run.out);
    EXPECT_EQ(verdict.rfind(std::string("verdict: FAIL: front: ") + GetParam().chartCheck + "GS", 0), 0u) << run.out;
    EXPECT_NE(verdict.find(" beyond 3 levels"), std::string::npos) << verdict;
    EXPECT_EQ(verdict.find("rear"), std::string::npos) << verdict;
    EXPECT_EQ(emulator.Stop(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Sensors, WrongLutTest,
    ::testing::Values(WrongLut{"RedGainDrifted", "0.92,0.03,1.15/0.95,0.02,1.10/0.85,0.04,1.25", ""},
                      WrongLut{"OtherSensor", "1.0,0.0,1.0/1.0,0.0,1.0/1.0,0.0,1.0",
                               "grey wedge check failed (a patch is not grey, or the wedge does not darken), "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(VerifyEndToEndTest, AsksToTurnTheSheetAndStopsWithoutAnOperator) {
    EmulatorProcess emulator(dir_.File("device.state"), dir_.File("emulator.log"), EmulatorArgs(kFront, 1, true));
    ASSERT_TRUE(emulator.Started());
    ScopedDeviceAddress address(emulator.Address());
    const std::string tool = std::string(CALVIX_BIN_DIR) + "/calvix-verify";
    // Enter pressed: the rear comes from the next sheet. Not calibrated, so the greys fail.
    const ProgramResult turned =
        RunProgram({"/bin/sh", "-c", "printf '\\n' | \"$0\" -r \"$1\" --no-history", tool, kR1}, dir_.Path());
    EXPECT_EQ(turned.exitCode, 1) << turned.out << turned.err;
    const std::size_t asked = turned.out.find("turn the sheet over and press Enter\n");
    EXPECT_NE(asked, std::string::npos) << turned.out;
    EXPECT_NE(turned.out.find("\nrear side", asked), std::string::npos) << turned.out;
    // Nobody there: the front is scanned, then the run stops before taking another sheet.
    WriteFileText(dir_.File("empty"), "");
    const ProgramResult alone = RunProgram(
        {"/bin/sh", "-c", "exec \"$0\" -r \"$1\" --no-history < \"$2\"", tool, kR1, dir_.File("empty")}, dir_.Path());
    EXPECT_EQ(alone.exitCode, 5) << alone.out << alone.err;
    EXPECT_NE(alone.err.find("no operator to turn the sheet"), std::string::npos) << alone.err;
    EXPECT_EQ(emulator.Stop(), 0);
}

// --uniformity through TWAIN: the blank sheet after the chart is scanned and its fall-off held
// against the truth the emulator wrote for that face, the chart's figures against the chart's.
// Without noise a corner square's pixels share one 8-bit level, whose step at paper white is
// 0.9 % of its light: the noise dithers the mean back to the field's value.
TEST_F(VerifyEndToEndTest, UniformityFromTheBlankSheetAfterTheChart) {
    std::filesystem::create_directories(dir_.File("truth"));
    EmulatorProcess emulator(dir_.File("device.state"), dir_.File("emulator.log"),
                             {"--duplex", "0", "--led", "1", "--blur", "1.0", "--falloff", "6", "--scale", "0.995", "--noise", "2",
                              "--truth-dir", dir_.File("truth"), "--feed",
                              "chart-on=front,it8=" + kR1 + ",rotate=0.3,shift-x=8", "--feed", "blank"});
    ASSERT_TRUE(emulator.Started());
    ScopedDeviceAddress address(emulator.Address());
    const ProgramResult run =
        Verify({"--uniformity", "--assume-srgb", "--black-threshold", "50", "--no-history", "--report", dir_.File("q.pdf")});
    EXPECT_NE(run.out.find("uniformity: scanning a blank sheet for the front"), std::string::npos) << run.out << run.err;
    EXPECT_NE(run.out.find("illumination non-uniformity, %"), std::string::npos) << run.out;
    verify::JsonValue json, chart, blank;
    std::string error;
    ASSERT_TRUE(verify::ParseJson(ReadFileText(dir_.File("q.json")), json, error)) << error << run.err;
    ASSERT_TRUE(verify::ParseJson(ReadFileText(dir_.File("truth/scan0001_front.json")), chart, error)) << error;
    ASSERT_TRUE(verify::ParseJson(ReadFileText(dir_.File("truth/scan0002_front.json")), blank, error)) << error;
    const verify::JsonValue* quality = json.Find("sides")->items.at(0).Find("quality");
    ASSERT_TRUE(quality != nullptr && quality->Find("uniformity") != nullptr) << run.out;
    const verify::JsonValue& page = *quality->Find("uniformity");
    EXPECT_NEAR(page.NumberOr("corner_loss_percent", -1), blank.Find("falloff")->NumberOr("corners_percent", 99), 0.5);
    const double ppi = chart.Find("sampling")->NumberOr("effective_ppi", 0);
    EXPECT_NEAR(quality->Find("sampling_rate")->NumberOr("ppi_x", 0), ppi, 0.002 * ppi);
    const double mtf50 = chart.Find("blur")->Find("mtf50_cy_px")->items.at(1).number;
    const verify::JsonValue& x = *quality->Find("sharpness")->Find("horizontal");
    EXPECT_NEAR(x.Find("mtf50_cy_px")->NumberOr("green", 0), mtf50, 0.05 * mtf50);
    std::printf("corner loss %.2f %% (truth %.2f), ppi %.2f (truth %.2f), MTF50 x %.4f (truth %.4f)\n",
                page.NumberOr("corner_loss_percent", -1), blank.Find("falloff")->NumberOr("corners_percent", 99),
                quality->Find("sampling_rate")->NumberOr("ppi_x", 0), ppi, x.Find("mtf50_cy_px")->NumberOr("green", 0),
                mtf50);
    EXPECT_EQ(emulator.Stop(), 0);
}

// The acceptance case of the figures: a scanner with every optic effect on, calibrated, then
// verified through its new LUT with a light grey sheet for the uniformity, against the emulator's
// truth of the verification chart and the sheet. Noise is not held against it here: through a LUT
// it is the table's slope times the raw sigma, quantised, which the truth does not carry.
TEST_F(VerifyEndToEndTest, EveryOpticFigureThroughTheLutIsTheTruth) {
    std::filesystem::create_directories(dir_.File("truth"));
    const std::string chart = "chart-on=front,it8=" + kR1, emulatorTool = std::string(CALVIX_BIN_DIR) + "/q71-emulator";
    EmulatorProcess emulator(dir_.File("device.state"), dir_.File("emulator.log"),
                             {"--duplex", "0", "--led", "1", "--noise", "1.5", "--seed", "7", "--blur", "1.0",
                              "--crosstalk", "0.86,0.12,0.02,0.06,0.88,0.06,0.02,0.10,0.88", "--falloff", "4",
                              "--misregister", "0.5,0,0,-0.3", "--scale", "0.99", "--truth-dir", dir_.File("truth"),
                              "--feed", chart + ",rotate=0.3,shift-x=8", "--feed", chart + ",rotate=0.4,shift-x=10",
                              "--feed", "blank,level=0.7"});
    ASSERT_TRUE(emulator.Started());
    ScopedDeviceAddress address(emulator.Address());
    ASSERT_EQ(Calibrate().exitCode, 0);
    const ProgramResult run = Verify({"--uniformity", "--no-history", "--report", dir_.File("optics.pdf")});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    verify::JsonValue json, truth, sheet;
    std::string error;
    ASSERT_TRUE(verify::ParseJson(ReadFileText(dir_.File("optics.json")), json, error)) << error;
    ASSERT_TRUE(verify::ParseJson(ReadFileText(dir_.File("truth/scan0002_front.json")), truth, error)) << error;
    ASSERT_TRUE(verify::ParseJson(ReadFileText(dir_.File("truth/scan0003_front.json")), sheet, error)) << error;
    const verify::JsonValue& q = *json.Find("sides")->items.at(0).Find("quality");
    const double mtf50 = truth.Find("blur")->Find("mtf50_cy_px")->items.at(1).number;
    const double ppi = truth.Find("sampling")->NumberOr("effective_ppi", 0);
    for (std::size_t d = 0; d < 2; ++d) {
        const verify::JsonValue& dir = *q.Find("sharpness")->Find(d == 0 ? "horizontal" : "vertical");
        EXPECT_NEAR(dir.Find("mtf50_cy_px")->NumberOr("green", 0), mtf50, 0.05 * mtf50) << run.out;
        EXPECT_NEAR(dir.NumberOr("red_shift_px", 9), truth.Find("misregistration_px")->Find("red")->items.at(d).number, 0.1);
        EXPECT_NEAR(dir.NumberOr("blue_shift_px", 9), truth.Find("misregistration_px")->Find("blue")->items.at(d).number, 0.1);
        EXPECT_NEAR(q.Find("sampling_rate")->NumberOr(d == 0 ? "ppi_x" : "ppi_y", 0), ppi, 0.002 * ppi);
    }
    for (const auto& [ours, theirs] : {std::pair{"corner_loss_percent", "corners_percent"},
                                       {"edge_loss_x_percent", "left_right_percent"}, {"edge_loss_y_percent", "top_bottom_percent"}})
        EXPECT_NEAR(q.Find("uniformity")->NumberOr(ours, -1), sheet.Find("falloff")->NumberOr(theirs, 99), 0.5) << ours << run.out;

    // Paper white through the same tables: refused with the reason, not read as a flat 0 %.
    ASSERT_EQ(RunProgram({emulatorTool, "feed", "--chart-on", "front", "--it8", kR1, "--rotate", "0.4"}, dir_.Path()).exitCode, 0);
    ASSERT_EQ(RunProgram({emulatorTool, "feed", "--blank"}, dir_.Path()).exitCode, 0);
    const ProgramResult white = Verify({"--uniformity", "--no-history", "--report", dir_.File("white.pdf")});
    EXPECT_NE(white.out.find("not measured: the blank page lies at the scanner's clip (100.0 %"), std::string::npos) << white.out;
    EXPECT_EQ(emulator.Stop(), 0);
}

TEST_F(VerifyEndToEndTest, CommandLineAndScannerFailuresHaveTheirOwnStatus) {
    const std::string tool = std::string(CALVIX_BIN_DIR) + "/calvix-verify";
    EXPECT_EQ(RunProgram({tool, "--help"}, dir_.Path()).exitCode, 0);
    EXPECT_EQ(RunProgram({tool}, dir_.Path()).exitCode, 2);
    EXPECT_EQ(RunProgram({tool, "-r", kR1, "--gamma", "nan"}, dir_.Path()).exitCode, 2);
    EXPECT_EQ(RunProgram({tool, "--history", "NONE"}, dir_.Path()).exitCode, 3);
    EmulatorProcess emulator(dir_.File("device.state"), dir_.File("emulator.log"), {"--led", "1"});
    ASSERT_TRUE(emulator.Started());
    ScopedDeviceAddress address(emulator.Address());
    const ProgramResult empty = Verify();
    EXPECT_EQ(empty.exitCode, 5) << empty.out << empty.err;
    EXPECT_NE(empty.err.find("no paper in the feeder for the front scan"), std::string::npos) << empty.err;
    EXPECT_EQ(emulator.Stop(), 0);
}

// Refused before any file is touched: empty paths, outputs that are inputs or outputs; file text printed escaped.
TEST_F(VerifyEndToEndTest, BadPathsAreRefusedAndFileTextIsPrintedEscaped) {
    std::filesystem::create_directories(dir_.File("out"));
    WriteFileText(dir_.File("front.bmp"), "the scan");
    WriteFileText(dir_.File("out/Help_front.bmp"), "a scan kept beside its helper");
    WriteFileText(dir_.File("r.json"), "a record");
    WriteFileText(dir_.File("bad.it8"), "IT8.7/2\nNUMBER_OF_FIELDS \x1b[2J\n");
    ASSERT_EQ(::link(dir_.File("front.bmp").c_str(), dir_.File("alias.bmp").c_str()), 0);
    ASSERT_EQ(::mkfifo(dir_.File("fifo").c_str(), 0600), 0);
    // A run recorded under the name an earlier version gave the serial, with a clear-screen in it.
    std::filesystem::create_directories(dir_.File("data/Zelmar GmbH/Calvix/history"));
    WriteFileText(dir_.File("data/Zelmar GmbH/Calvix/history/Q71__1.jsonl"),
                  "{\"schema\":\"" + std::string(verify::HistorySchema) +
                      "\",\"verified_at\":\"\\u001b[2J\",\"serial\":\"Q71:\\n1\",\"verdict\":\"pass\",\"sides\":[]}\n");
    // "V" is an offline verification of @front.bmp, "v" calvix-verify alone, "A" calvix-analyze,
    // "Q" q71-render; "@x" is the file x in the test's folder and "-" an empty value.
    const std::string bin = std::string(CALVIX_BIN_DIR) + "/";
    const std::map<std::string, std::vector<std::string>> words{
        {"V", {bin + "calvix-verify", "-r", kR1, "--offline", dir_.File("front.bmp")}}, {"-", {""}},
        {"v", {bin + "calvix-verify"}}, {"A", {bin + "calvix-analyze"}}, {"Q", {bin + "q71-render"}},
        {"R1", {kR1}}, {"S", {"Q71:\n1"}}};
    const struct {
        const char* line;
        int status;
        const char* message;
    } cases[] = {
        {"V --history -", 2, "--history: the value is empty"},
        {"V --uniformity", 2, "give the blank page's scan as --uniformity-page"},  // no scanner to take a sheet from
        {"v -r R1 --offline @out/Help_front.bmp --keep @out", 2, "--keep (helper image)"},
        {"V --report @alias.bmp", 2, "alias.bmp' is the input --offline"},  // a hard link, seen through by its inode
        {"V --record @r.json --report @r.pdf", 2, "--report (its JSON) '"},
        {"A -o @out @out/Help_front.bmp", 2, "(helper image)"},
        {"A --ti3 - @front.bmp", 2, "--ti3: the value is empty"},
        {"A --ti3 @front.bmp @front.bmp", 2, "front.bmp' is the input FRONT"},
        {"Q --truth -", 2, "--truth: the value is empty"},
        {"Q -o @o.bmp --truth @o.bmp", 2, "is also the output -o"},
        {"Q -o @o.bmp --truth @fifo", 1, "not a regular file"},  // refused before the render: no picture left
        {"A -r @bad.it8 @front.bmp", 3, "followed by '\\x1B[2J'"},  // a reference's own text, escaped
        {"v -r @bad.it8 --offline @front.bmp", 3, "followed by '\\x1B[2J'"},
        {"v --history S", 0, "history of scanner Q71:\\x0A1: 1 run"},  // under its earlier name, escaped
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<std::string> argv;
        std::istringstream line(c.line);
        for (std::string word; line >> word;) {
            const auto known = words.find(word);
            if (known != words.end()) argv.insert(argv.end(), known->second.begin(), known->second.end());
            else argv.push_back(word[0] == '@' ? dir_.File(word.substr(1)) : word);
        }
        const ProgramResult run = RunProgram(argv, dir_.Path());
        EXPECT_EQ(run.exitCode, c.status) << run.out << run.err;
        EXPECT_NE((run.out + run.err).find(c.message), std::string::npos) << run.out << run.err;
        EXPECT_EQ((run.out + run.err).find('\x1b'), std::string::npos);
        EXPECT_TRUE(ReadFileText(dir_.File("front.bmp")) == "the scan" && !FileExists(dir_.File("o.bmp")) &&
                    ReadFileText(dir_.File("out/Help_front.bmp")) == "a scan kept beside its helper" &&
                    std::filesystem::is_fifo(dir_.File("fifo")));
    }
}

}  // namespace
}  // namespace calvix::test
