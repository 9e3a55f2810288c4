// The log writer's gate, prefix, routing to status bar and splash list, and its flush.
#include <gtest/gtest.h>

#include "FakeClock.h"
#include "TempDir.h"
#include "app/FormStatus.h"

namespace calvix {
namespace {

struct RecordingDisplay : LogDisplay {
    bool visible = true;
    bool splashActive = true;
    std::vector<std::string> status, splash;
    bool MainWindowVisible() const override { return visible; }
    void ShowStatusLine(const std::string& t) override { status.push_back(t); }
    bool SplashLogActive() const override { return splashActive; }
    void AppendSplashLine(const std::string& t) override { splash.push_back(t); }
};

class LogWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        LogWriter.SetEcho(false);
        LogWriter.SetClock(&clock);
        LogWriter.ResetForTest();
        LogWriter.SetDisplay(&display);
    }
    void TearDown() override {
        LogWriter.SetDisplay(nullptr);
        LogWriter.SetClock(nullptr);
    }
    // Lines after the three header items.
    std::vector<std::string> Lines() const {
        const auto& b = LogWriter.Buffer();
        return {b.begin() + 3, b.end()};
    }
    test::FakeClock clock;
    RecordingDisplay display;
};

TEST_F(LogWriterTest, MasterSwitchOffAcceptsOnlyForcedLinesWithTimePrefix) {
    LogWriter.WriteLine("STA: plain", LogSta);
    LogWriter.WriteLine("STA: forced", LogForced);
    ASSERT_EQ(Lines().size(), 1u);
    EXPECT_EQ(Lines()[0], " 10:30:15.000 > STA: forced");

    LogWriter.Categories() = LogCategories{false, false, false, false, false};
    LogWriter.WriteLine("STA: forced but no category", LogForced);
    EXPECT_EQ(Lines().size(), 1u);
}

TEST_F(LogWriterTest, LevelThresholdIsComparedWithTheMasksLevel) {
    LogWriter.SetActive(true);
    LogWriter.Categories().vcl = true;
    LogWriter.SetLevel(129);
    for (std::uint32_t mask : {LogSta, LogInf, LogVcl, LogUac}) LogWriter.WriteLine("dropped", mask);
    LogWriter.WriteLine("DBG: kept", LogDbg);
    LogWriter.WriteLine("ERR: kept", LogErr);
    EXPECT_EQ(Lines(), (std::vector<std::string>{" > DBG: kept", " > ERR: kept"}));

    LogWriter.SetLevel(256);
    LogWriter.WriteLine("forced", LogForced);
    EXPECT_EQ(Lines().size(), 2u);
}

// Every mask in use, at its own level and one above, with each category switch alone: the
// level is the mask's low byte and only the mask's own categories let it through.
TEST_F(LogWriterTest, EachMaskPassesAtItsOwnLevelAndOnlyThroughItsOwnSwitches) {
    enum Switch { Err = 1, Inf = 2, Sta = 4, Dbg = 8, Vcl = 16, All = 31 };
    struct Case {
        const char* name;
        std::uint32_t mask;
        int level;
        int switches;  // the switches that let it through
    };
    const Case cases[] = {
        {"LogDbg", LogDbg, 208, Dbg},          {"LogDbgLow", LogDbgLow, 32, Dbg},
        {"LogInf", LogInf, 128, Inf},          {"LogUac", LogUac, 128, Inf},
        {"LogErr", LogErr, 208, Err},          {"LogErrBar", LogErrBar, 208, Err | Sta},
        {"LogErrBarSplash", LogErrBarSplash, 208, Err | Sta}, {"LogErrSplash", LogErrSplash, 208, Err},
        {"LogSta", LogSta, 128, Sta},          {"LogStaSplash", LogStaSplash, 128, Sta},
        {"LogVcl", LogVcl, 128, Vcl},          {"LogForced", LogForced, 255, All},
        {"LogForcedSplash", LogForcedSplash, 255, All},
    };
    const Switch singles[] = {Err, Inf, Sta, Dbg, Vcl};
    for (const Case& c : cases) {
        for (const int threshold : {c.level, c.level + 1}) {
            for (const Switch on : singles) {
                SCOPED_TRACE(std::string(c.name) + " threshold " + std::to_string(threshold) + " switch " +
                             std::to_string(on));
                LogWriter.ResetForTest();
                LogWriter.SetActive(true);
                LogWriter.SetLevel(threshold);
                LogWriter.Categories() = LogCategories{on == Err, on == Inf, on == Sta, on == Dbg, on == Vcl};
                LogWriter.WriteLine("line", c.mask);
                const bool expected = threshold == c.level && (c.switches & on) != 0;
                EXPECT_EQ(Lines().size(), expected ? 1u : 0u);
            }
        }
    }
}

TEST_F(LogWriterTest, CategorySwitchesGateTheirLines) {
    LogWriter.SetActive(true);
    LogWriter.Categories().info = false;
    LogWriter.WriteLine("INF: x", LogInf);
    LogWriter.WriteLine("UAC: x", LogUac);
    LogWriter.WriteLine("VCL: off by default", LogVcl);
    LogWriter.WriteLine("no category", 0xFF);
    EXPECT_TRUE(Lines().empty());
    LogWriter.Categories().vcl = true;
    LogWriter.WriteLine("VCL: on", LogVcl);
    EXPECT_EQ(Lines().size(), 1u);
}

// The milliseconds are the process's elapsed time modulo 1000 and carry into the seconds; the
// wall clock is followed forwards only, so no later line shows an earlier time.
TEST_F(LogWriterTest, TimeStampNeverRunsBackwards) {
    LogWriter.SetActive(true);
    LogWriter.SetTimestamp(true);
    const struct {
        std::int64_t elapsedMs;
        CivilTime local;
        const char* prefix;
    } steps[] = {
        {1999, {2026, 12, 7, 10, 30, 15}, " 10:30:15.999 > "},
        {2000, {2026, 12, 7, 10, 30, 15}, " 10:30:16.000 > "},  // the wall second has not turned yet
        {2500, {2026, 12, 7, 10, 30, 10}, " 10:30:16.500 > "},  // the wall clock set back
        {3000, {2026, 12, 7, 10, 31, 0}, " 10:31:00.000 > "},   // far ahead: followed
        {90000, {2026, 12, 7, 23, 59, 59}, " 23:59:59.000 > "},
        {91000, {2026, 12, 7, 23, 59, 59}, " 00:00:00.000 > "},
    };
    for (const auto& step : steps) {
        clock.elapsedMs = step.elapsedMs;
        clock.local = step.local;
        LogWriter.WriteLine("x", LogSta);
        EXPECT_EQ(Lines().back(), std::string(step.prefix) + "x") << step.elapsedMs;
    }
}

TEST_F(LogWriterTest, StatusBarAndSplashListAreFedIndependentlyOfTheGate) {
    LogWriter.WriteLine("STA: to bar", LogSta);             // master switch off
    LogWriter.WriteLine("STA: to splash", LogStaSplash);    // dropped from the log
    LogWriter.WriteLine("ERR: no bar", LogErr);
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(display.status, (std::vector<std::string>{"STA: to bar", "STA: to splash"}));
    EXPECT_EQ(display.splash, (std::vector<std::string>{"STA: to splash"}));

    display.visible = false;
    display.splashActive = false;
    LogWriter.WriteLine("STA: hidden", LogStaSplash);
    EXPECT_EQ(display.status.size(), 2u);
    EXPECT_EQ(display.splash.size(), 1u);
}

TEST_F(LogWriterTest, FirstFlushWritesHeaderAndEarlierLinesWithCrLf) {
    test::TempDir dir;
    LogWriter.WriteLine("STA: early", LogForced);
    EXPECT_TRUE(LogWriter.Flush());  // no file name yet: nothing to do
    LogWriter.SetFileName(dir.File("Calvix.log"));
    ASSERT_TRUE(LogWriter.Flush());
    const std::string sep(79, '=');
    EXPECT_EQ(test::ReadFileText(dir.File("Calvix.log")),
              sep + "\r\n\nCalvix Log File\nDate: 2026-12-07\r\n" + sep + "\r\n 10:30:15.000 > STA: early\r\n");
    EXPECT_FALSE(LogWriter.Dirty());
}

TEST_F(LogWriterTest, FailedFlushKeepsTheBufferDirtyForTheNextTry) {
    test::TempDir dir;
    LogWriter.SetFileName(dir.File("missing-folder/Calvix.log"));
    EXPECT_FALSE(LogWriter.Flush());
    EXPECT_TRUE(LogWriter.Dirty());
    EXPECT_FALSE(LogWriter.LastFlushError().empty());
    LogWriter.SetFileName(dir.File("Calvix.log"));
    EXPECT_TRUE(LogWriter.Flush());
    EXPECT_FALSE(LogWriter.Dirty());
}

TEST_F(LogWriterTest, PrintfReturnsTheWholeTextOfAnyLength) {
    for (const std::string& text : {std::string(), std::string("x"), std::string(5000, 'y')})
        EXPECT_EQ(LogWriter.Printf("%s", text.c_str()), text) << text.size();
    // The scratch text itself may be an argument of the next format.
    EXPECT_EQ(LogWriter.Printf("<%s>", LogWriter.Printf("%d", 42).c_str()), "<42>");
}

TEST_F(LogWriterTest, UnitHelpersRecordTheCallingLine) {
    LogWriter.SetActive(true);
    const int line = __LINE__ + 1;
    CALVIX_LOG_DBG(unit::assistent, "TFormAssistent::X()");
    CALVIX_LOG_ERR(unit::MainForm, "boom", LogErr);
    EXPECT_EQ(Lines()[0], " > DBG: call to 'TFormAssistent::X()'  ( file assistent, line " + std::to_string(line) + ")");
    EXPECT_EQ(Lines()[1], " > ERR: error 'boom'  ( file MainForm, line " + std::to_string(line + 1) + ")");
}

}  // namespace
}  // namespace calvix
