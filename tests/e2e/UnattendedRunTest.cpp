// `calvix --unattended` as a service engineer scripts it: the real program against the real
// emulator, one run per way it can end, each with its exit status and its reason printed.
#include "EmulatorProcess.h"
#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace calvix::test {
namespace {

const std::string kR1 = std::string(CALVIX_TEST_DATA_DIR) + "/it8/R1.txt";

struct RunCase {
    const char* name;
    std::vector<std::string> emulatorArgs;
    std::vector<std::string> calvixArgs;
    int status;
    const char* says;
    const char* registry = "";
    bool profileBlocked = false;  // a folder where the front's new profile is written first
};

class UnattendedRunTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(UnattendedRunTest, EndsWithTheStatusOfTheStepThatDecidedIt) {
    const RunCase& c = GetParam();
    TempDir dir;
    EmulatorProcess emulator(dir.File("device.state"), dir.File("emulator.log"), c.emulatorArgs);
    ASSERT_TRUE(emulator.Started());
    ScopedDeviceAddress address(emulator.Address());
    std::filesystem::create_directories(dir.File("config/Zelmar GmbH"));
    std::ofstream(dir.File("config/Zelmar GmbH/Calvix.reg")) << "[Software\\Zelmar GmbH\\Calvix]\r\n"
                                                               << "\"WarmUpTime\"=dword:00000000\r\n"
                                                               << c.registry;
    ::setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
    const std::string front = dir.File("data/icc/Zelmar-Q71-Q71-000123-front.icc");
    if (c.profileBlocked) std::filesystem::create_directories(front + ".new"), std::ofstream(front) << "old";

    std::vector<std::string> argv = {std::string(CALVIX_BIN_DIR) + "/calvix", "--unattended"};
    argv.insert(argv.end(), c.calvixArgs.begin(), c.calvixArgs.end());
    const ProgramResult run = RunProgram(argv, dir.Path());
    EXPECT_EQ(run.exitCode, c.status) << run.out << run.err;
    EXPECT_NE(run.out.find(c.says), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Calvix Log File"), std::string::npos);
    // One profile per calibrated side, and only once the scanner has taken the LUT.
    const bool simplex = std::find(c.emulatorArgs.begin(), c.emulatorArgs.end(), "--duplex") != c.emulatorArgs.end();
    const std::size_t expected = c.status != 0 ? 0 : simplex ? 1 : 2;
    std::size_t profiles = 0;
    if (c.profileBlocked)
        EXPECT_TRUE(std::filesystem::exists(front + ".stale") && !std::filesystem::exists(front));
    else if (std::filesystem::is_directory(dir.File("data/icc"))) {
        for (const auto& entry : std::filesystem::directory_iterator(dir.File("data/icc"))) {
            std::ifstream in(entry.path(), std::ios::binary);
            char header[40] = {};
            in.read(header, sizeof header);
            EXPECT_EQ(std::string(header + 36, 4), "acsp") << entry.path();
            EXPECT_EQ(entry.path().extension(), ".icc");
            ++profiles;
        }
    }
    EXPECT_EQ(profiles, expected) << run.out;
    EXPECT_EQ(emulator.Stop(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, UnattendedRunTest,
    ::testing::Values(
        RunCase{"Uploaded", {"--led", "1", "--duplex", "0", "--feed", "chart-on=front,it8=" + kR1}, {"--reference", kR1},
                0, "LUT uploaded and acknowledged by the scanner"},
        // The analysis and the calibration hold through the optics a real scanner has. A sigma
        // much above 1 lifts the middle of the 5-pixel box line over the black threshold (the rear
        // sensor, lighter in the dark, already at 1 with this misregistration).
        RunCase{"UploadedThroughOptics",
                {"--led", "1", "--feed", "chart-on=front,it8=" + kR1, "--feed", "chart-on=rear,it8=" + kR1, "--blur", "0.8",
                 "--falloff", "5", "--misregister", "1,1,1,1", "--scale", "0.98", "--front-crosstalk",
                 "0.85,0.1,0.05,0.05,0.9,0.05,0.02,0.08,0.9", "--rear-crosstalk", "0.9,0.1,0,0.1,0.8,0.1,0,0.1,0.9"},
                {"--reference", kR1}, 0, "LUT uploaded and acknowledged by the scanner"},
        RunCase{"UploadedAtScale1_02",
                {"--led", "1", "--duplex", "0", "--feed", "chart-on=front,it8=" + kR1 + ",rotate=0.5", "--blur", "0.8,1,1",
                 "--falloff", "5", "--misregister", "-0.5,0.5,-1,-1", "--scale", "1.02"},
                {"--reference", kR1}, 0, "LUT uploaded and acknowledged by the scanner"},
        RunCase{"NoReference", {"--led", "1"}, {}, 6, "no reference file is installed"},
        RunCase{"SourceOffline", {"--offline"}, {"--connect-retries", "1"}, 4, "data source could not be opened"},
        RunCase{"CalibrationModeRefused", {"--truncate-replies", "5"}, {"--reference", kR1}, 5,
                "refused calibration mode"},
        RunCase{"ChartSideways",
                {"--led", "1", "--duplex", "0", "--feed", "chart-on=front,it8=" + kR1 + ",rotate=90"},
                {"--reference", kR1}, 7, "the front scan failed: Automatic detection of IT8 color fields failed!"},
        RunCase{"FrontTransferCancelled",
                {"--led", "1", "--duplex", "0", "--transfer-cancel", "front", "--feed", "chart-on=front,it8=" + kR1},
                {"--reference", kR1}, 7,
                "the front scan failed: no image came from the scanner: the source cancelled the front transfer"},
        RunCase{"NoRearSheet", {"--led", "1", "--feed", "chart-on=front,it8=" + kR1}, {"--reference", kR1}, 8,
                "the rear scan failed: Insert paper!"},
        RunCase{"ProfileNotWrittenOldOneMovedAside", {"--led", "1", "--duplex", "0", "--feed", "chart-on=front,it8=" + kR1},
                {"--reference", kR1}, 10, "front side not written: will not replace", "", true},
        RunCase{"UploadRefused",
                {"--led", "1", "--duplex", "0", "--refuse-upload", "42", "--feed", "chart-on=front,it8=" + kR1},
                {"--reference", kR1}, 9, "the scanner did not take the LUT"},
        RunCase{"UploadUnanswered",
                {"--led", "1", "--duplex", "0", "--no-reply", "upload", "--feed", "chart-on=front,it8=" + kR1},
                {"--reference", kR1}, 9, "no answer came from the scanner to the upload; it may have stored the LUT"},
        RunCase{"BypassRefused", {"--refuse-command", "lut_bypass"}, {"--reference", kR1}, 5, "refused calibration mode"},
        RunCase{"BypassUnanswered", {"--no-reply", "lut_bypass", "--duplex", "0"}, {"--reference", kR1}, 5,
                "refused calibration mode"},
        RunCase{"LampsRefused", {"--refuse-command", "lamps"}, {"--reference", kR1}, 5, "refused calibration mode"},
        RunCase{"ExpertMode", {"--led", "1", "--duplex", "0", "--feed", "chart-on=front,it8=" + kR1},
                {"--reference", kR1}, 0, "LUT uploaded and acknowledged by the scanner",
                "\"ExpertMode\"=dword:00000001\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace calvix::test
