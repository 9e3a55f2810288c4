// The emulated device without transport: module checks, the state file, service commands.
#include "DeviceState.h"
#include "ServiceCommands.h"
#include "TempDir.h"
#include "ValueText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace calvix::device {
namespace {

using ::testing::ElementsAre;

std::vector<std::uint8_t> ValidModule() {
    std::vector<std::uint8_t> module(kLutModuleLength, 0x5A);
    const std::uint8_t header[7] = {1, 6227 & 0xFF, 6227 >> 8, 0x00, 0x04, 1, 2};
    std::copy(std::begin(header), std::end(header), module.begin());
    return module;
}

struct ModuleCase {
    std::uint32_t kind;
    std::size_t at;  // byte changed, or SIZE_MAX for none
    std::uint8_t value;
    std::size_t length;
    LutCheck expected;
};

class ModuleChecks : public ::testing::TestWithParam<ModuleCase> {};

TEST_P(ModuleChecks, HeaderAndLength) {
    const ModuleCase& c = GetParam();
    std::vector<std::uint8_t> module = ValidModule();
    if (c.at != SIZE_MAX) module[c.at] = c.value;
    module.resize(c.length);
    EXPECT_EQ(CheckLutModule(c.kind, module), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ModuleChecks,
    ::testing::Values(ModuleCase{5, SIZE_MAX, 0, 6227, LutCheck::Ok},
                      ModuleCase{5, 6, 1, 6227, LutCheck::Ok},
                      ModuleCase{4, SIZE_MAX, 0, 6227, LutCheck::WrongKind},
                      ModuleCase{5, SIZE_MAX, 0, 6226, LutCheck::WrongLength},
                      ModuleCase{5, SIZE_MAX, 0, 0, LutCheck::WrongLength},
                      ModuleCase{5, 0, 0, 6227, LutCheck::BadLeadByte},
                      ModuleCase{5, 2, 0, 6227, LutCheck::BadLengthField},
                      ModuleCase{5, 4, 3, 6227, LutCheck::BadEntriesField},
                      ModuleCase{5, 5, 0, 6227, LutCheck::BadFormatByte},
                      ModuleCase{5, 6, 0, 6227, LutCheck::BadSides},
                      ModuleCase{5, 6, 3, 6227, LutCheck::BadSides}));

TEST(DeviceStateTest, StateFileRoundTrip) {
    test::TempDir dir;
    DeviceState state;
    state.model = {"Q71-XYZ", false, true, ""};
    state.lamps = true;
    state.lutBypass[1] = true;
    state.modeChanges = 7;
    state.lut = ValidModule();
    std::string error;
    ASSERT_TRUE(state.Save(dir.File("s"), &error)) << error;
    EXPECT_FALSE(std::filesystem::exists(dir.File("s.tmp")));

    DeviceState loaded;
    ASSERT_TRUE(loaded.Load(dir.File("s"), &error)) << error;
    EXPECT_EQ(loaded.Serialise(), state.Serialise());
    EXPECT_EQ(loaded.modeChanges, 7u);
    EXPECT_EQ(loaded.lut, state.lut);
    EXPECT_EQ(loaded.SfValue() & kSfLedBit, kSfLedBit);
}

TEST(DeviceStateTest, MissingFileKeepsDefaultsAndUnwritablePlaceFails) {
    test::TempDir dir;
    DeviceState state;
    std::string error;
    EXPECT_TRUE(state.Load(dir.File("none"), &error));
    EXPECT_EQ(state.Serialise(), DeviceState().Serialise());
    EXPECT_FALSE(state.Save(dir.File("no/such/dir/state"), &error));
    EXPECT_FALSE(error.empty());
}

TEST(DeviceStateTest, MalformedLinesAreReportedAndGoodOnesApply) {
    DeviceState state;
    std::string error;
    EXPECT_FALSE(state.Parse("lamps=1\nduplex=maybe\nserial=\"open\nlut=abc\nno equals\nfuture_key=1\n", &error));
    EXPECT_EQ(error, "line 2: bad value for duplex");
    EXPECT_TRUE(state.lamps);
    EXPECT_TRUE(state.model.duplex);
    EXPECT_EQ(state.model.serial, "Q71-000123");
    EXPECT_TRUE(state.lut.empty());
    EXPECT_TRUE(state.Parse("# comment\r\nled=1\r\n\r\nfuture_key=1"));
    EXPECT_TRUE(state.model.led);
}

TEST(DeviceStateTest, EveryValueReadsBackAndUnknownKeysSurvive) {
    test::TempDir dir;
    for (const std::string serial : {"Q71 \"7\"", "\"quoted\"", " lead", "a\\b", "\xC3\xA9t\xC3\xA9", "x=y,z:1"}) {
        DeviceState state;
        state.model.serial = serial;
        state.otherKeys = {{"future_key", "a=b"}, {"note", "\"kept as written"}};
        std::string error;
        ASSERT_TRUE(state.Save(dir.File("s"), &error)) << error;
        DeviceState loaded;
        ASSERT_TRUE(loaded.Load(dir.File("s"), &error)) << serial << ": " << error;
        EXPECT_EQ(loaded.model.serial, serial);
        EXPECT_EQ(loaded.otherKeys, state.otherKeys);
        EXPECT_EQ(loaded.Serialise(), state.Serialise());
    }
}

struct BadStateFile {
    std::string text;
    std::string reason;
};

class BadStateFiles : public ::testing::TestWithParam<BadStateFile> {};

TEST_P(BadStateFiles, AreRefusedNamingFileAndLine) {
    test::TempDir dir;
    const std::string path = dir.File("device.state");
    test::WriteFileText(path, GetParam().text);
    DeviceState state;
    std::string error;
    EXPECT_FALSE(state.Load(path, &error));
    EXPECT_EQ(error, "state file " + path + ": " + GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BadStateFiles,
    ::testing::Values(BadStateFile{"lamps=1\nlut=" + std::string(2 * kLutModuleLength - 1, 'a') + "g\n",
                                   "line 2: bad value for lut"},
                      BadStateFile{"# c\n\nserial=\"Q71\\q\"\n", "line 3: bad value for serial"},
                      BadStateFile{"serial=" + std::string(65, 'x') + "\n", "line 1: bad value for serial"},
                      BadStateFile{"=1\n", "line 1: bad value for (no key)"},
                      BadStateFile{"led=1\n" + std::string(64 * 1024, '#'), "larger than 64 KB"}));

TEST(DeviceStateTest, AFolderIsNoStateFile) {
    test::TempDir dir;
    DeviceState state;
    std::string error;
    EXPECT_FALSE(state.Load(dir.Path(), &error));
    EXPECT_EQ(error, "state file " + dir.Path() + ": not a regular file");
    // Nor is a FIFO replaced by the state when it is saved.
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    EXPECT_FALSE(state.Save(dir.File("fifo"), &error));
    EXPECT_TRUE(std::filesystem::is_fifo(dir.File("fifo")));
    // A FIFO planted under a temporary name (read, so an open of it would not block) takes nothing.
    ASSERT_EQ(::mkfifo(dir.File("s.tmp").c_str(), 0600), 0);
    const int reader = ::open(dir.File("s.tmp").c_str(), O_RDONLY | O_NONBLOCK);
    EXPECT_TRUE(state.Save(dir.File("s"), &error)) << error;
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(dir.File("s"))));
    EXPECT_TRUE(std::filesystem::is_fifo(dir.File("s.tmp")));
    ::close(reader);
}

TEST(ValueTextTest, QuotedOnlyWhenNeededAndBadQuotesRefused) {
    const std::pair<const char*, const char*> cases[] = {
        {"Q71-000123", "Q71-000123"}, {"a b", "a b"}, {"", ""}, {"\"x", "\"\\\"x\""}, {"x ", "\"x \""},
        {"tab\there", "\"tab\\x09here\""}, {"back\\\"", "back\\\""}, {"~\x7F", "\"~\\x7F\""}};
    for (const auto& [value, written] : cases) {
        EXPECT_EQ(QuoteValue(value), written);
        EXPECT_EQ(UnquoteValue(written), value);
    }
    for (const char* bad : {"\"", "\"open", "\"a\"b\"", "\"\\q\"", "\"\\x4\"", "\"\\\""}) {
        EXPECT_FALSE(UnquoteValue(bad)) << bad;
    }
}

TEST(DeviceStateTest, ParameterLineCarriesTheModel) {
    DeviceState state;
    state.model.led = true;
    state.lutBypass[1] = true;
    state.modeChanges = 4294967295u;
    EXPECT_EQ(state.ParamsText(), "Q71:SN=\"Q71-000123\",SF=2097171,DX=1,LAMPS=0,BYPASS_F=0,BYPASS_R=1,"
                                  "MODE_CHANGES=4294967295,FW=\"2.31\"");
    state.model.paramsText = "SF=1";
    EXPECT_EQ(state.ParamsText(), "SF=1");
}

struct CommandCase {
    const char* line;
    bool duplex;
    std::vector<std::string> replies;
    bool lamps;
    bool front;
    bool rear;
};

class Commands : public ::testing::TestWithParam<CommandCase> {};

TEST_P(Commands, ReplyAndState) {
    const CommandCase& c = GetParam();
    DeviceState state;
    state.model.duplex = c.duplex;
    const CommandOutcome outcome = ExecuteServiceCommand(state, c.line, {});
    EXPECT_EQ(outcome.replies, c.replies);
    EXPECT_EQ(state.lamps, c.lamps);
    EXPECT_EQ(state.lutBypass[0], c.front);
    EXPECT_EQ(state.lutBypass[1], c.rear);
    EXPECT_EQ(outcome.stateChanged, c.lamps || c.front || c.rear);
    EXPECT_EQ(state.modeChanges, outcome.stateChanged ? 1u : 0u);
}

const std::string kOk = "A000 OK\r\n";

INSTANTIATE_TEST_SUITE_P(
    Lines, Commands,
    ::testing::Values(
        CommandCase{"lamps:1", true, {kOk}, true, false, false},
        CommandCase{"lamps:0", true, {kOk}, false, false, false},
        CommandCase{"lamps:2", true, {"E002 bad argument\r\n"}, false, false, false},
        CommandCase{"lamps", true, {"E002 bad argument\r\n"}, false, false, false},
        CommandCase{"lut_bypass:1,0", false, {kOk}, false, true, false},
        CommandCase{"lut_bypass:1,1", true, {kOk}, false, false, true},
        CommandCase{"lut_bypass:1,1", false, {"E003 no rear side\r\n"}, false, false, false},
        CommandCase{"lut_bypass:1", true, {"E002 bad argument\r\n"}, false, false, false},
        CommandCase{"lut_bypass:1,0,0", true, {"E002 bad argument\r\n"}, false, false, false},
        CommandCase{"get_params:1", true, {"E001 unknown command\r\n"}, false, false, false},
        CommandCase{"LAMPS:1", true, {"E001 unknown command\r\n"}, false, false, false}));

TEST(CommandsTest, ParameterRequestHasTwoLines) {
    DeviceState state;
    const CommandOutcome outcome = ExecuteServiceCommand(state, "get_params", {});
    EXPECT_THAT(outcome.replies, ElementsAre(kOk, "A000 " + state.ParamsText() + "\r\n"));
}

TEST(CommandsTest, RefusedAndUnansweredCommandsChangeNothing) {
    DeviceState state;
    CommandFaults faults;
    faults.refused = {"lamps"};
    faults.unanswered = {"lut_bypass"};
    EXPECT_THAT(ExecuteServiceCommand(state, "lamps:1", faults).replies, ElementsAre("E010 refused\r\n"));
    EXPECT_TRUE(ExecuteServiceCommand(state, "lut_bypass:1,0", faults).replies.empty());
    EXPECT_FALSE(state.lamps);
    EXPECT_FALSE(state.lutBypass[0]);
}

}  // namespace
}  // namespace calvix::device
