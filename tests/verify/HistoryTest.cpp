// The drift history: appending, reading back past a crash's cut line, bounds and the trend.
#include "History.h"

#include "JsonText.h"
#include "TempDir.h"
#include "VerifyReport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace calvix::verify {
namespace {

using test::ReadFileText;
using test::TempDir;
using test::WriteFileText;

std::string Line(const std::string& at, double frontMean, int frontMax, double rearMean, int rearMax) {
    JsonWriter w;
    w.BeginObject().Key("schema").String(HistorySchema).Key("verified_at").String(at).Key("serial").String("Q71-1");
    w.Key("verdict").String("pass").Key("sides").BeginArray();
    w.BeginObject().Key("side").String("front").Key("mean").BeginArray().Number(frontMean).Number(0).Number(0).EndArray();
    w.Key("max").BeginArray().Integer(frontMax).Integer(0).Integer(0).EndArray().EndObject();
    w.BeginObject().Key("side").String("rear").Key("mean").BeginArray().Number(0).Number(rearMean).Number(0).EndArray();
    w.Key("max").BeginArray().Integer(0).Integer(0).Integer(rearMax).EndArray().EndObject();
    w.EndArray().EndObject();
    return w.Text();
}

std::string Trend(const HistoryRead& history) {
    std::FILE* out = std::tmpfile();
    PrintTrend(history, "Q71-1", "h.jsonl", out);
    std::rewind(out);
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;) text.append(buffer, n);
    std::fclose(out);
    return text;
}

TEST(History, ThreeRunsGiveThreeLinesAndATrend) {
    TempDir dir;
    const std::string path = HistoryPath(dir.Path(), "Q71-1");
    EXPECT_EQ(path, dir.Path() + "/Zelmar GmbH/Calvix/history/Q71-1.jsonl");
    std::string error;
    ASSERT_TRUE(AppendHistory(path, Line("2026-01-01T10:00:00Z", 0.25, 1, 0.5, 2), error)) << error;
    ASSERT_TRUE(AppendHistory(path, Line("2026-02-01T10:00:00Z", 0.5, 2, 0.5, 2), error)) << error;
    ASSERT_TRUE(AppendHistory(path, Line("2026-03-01T10:00:00Z", 0.75, 3, 0.5, 2), error)) << error;
    std::string other = Line("2026-03-02T10:00:00Z", 9, 9, 9, 9);  // another scanner's, in a file shared before
    ASSERT_TRUE(AppendHistory(path, other.replace(other.find("Q71-1"), 5, "Q71:1"), error)) << error;
    HistoryRead history;
    ASSERT_TRUE(ReadHistory(path, history, error, "Q71-1")) << error;
    ASSERT_EQ(history.entries.size(), 3u);
    EXPECT_EQ(history.skipped, 0);
    EXPECT_EQ(history.otherScanner, 1);
    EXPECT_EQ(history.entries[2].verifiedAt, "2026-03-01T10:00:00Z");
    EXPECT_DOUBLE_EQ(history.entries[2].Side("front")->mean, 0.75);
    EXPECT_DOUBLE_EQ(history.entries[2].Side("rear")->max, 2.0);
    const std::string trend = Trend(history);
    EXPECT_NE(trend.find("   1  2026-01-01T10:00:00Z  pass"), std::string::npos) << trend;
    EXPECT_NE(trend.find("   3  2026-03-01T10:00:00Z  pass"), std::string::npos) << trend;
    EXPECT_NE(trend.find("front mean +0.250, front max +1.000, rear mean +0.000, rear max +0.000"), std::string::npos)
        << trend;
}

// Lines of this version carry each side's image-quality figures; older lines, without them, read
// alongside and show as gaps in the figures' drift.
TEST(History, QualityFiguresDriftAcrossNewAndOlderLines) {
    TempDir dir;
    const std::string path = dir.File("h.jsonl");
    std::string error;
    ASSERT_TRUE(AppendHistory(path, Line("2026-01-01T10:00:00Z", 0.2, 1, 0.3, 1), error)) << error;
    for (const double noise : {0.5, 0.75}) {
        VerifyResult run;
        run.verifiedAt = "2026-02-01T10:00:00Z";
        run.scanner.serial = "Q71-1";
        SideResult side;
        side.name = "front";
        side.chartCode = 0;
        side.quality.emplace();
        side.quality->grades = quality::GradeFigures(
            {{quality::Figure::NoiseL, noise}, {quality::Figure::GainModulationOther, {0.9, 1.3}}});
        run.sides.push_back(side);
        ASSERT_TRUE(AppendHistory(path, HistoryLine(run), error)) << error;
    }
    HistoryRead history;
    ASSERT_TRUE(ReadHistory(path, history, error)) << error;
    ASSERT_EQ(history.entries.size(), 3u);
    EXPECT_EQ(history.skipped, 0);
    EXPECT_TRUE(history.entries[0].Side("front")->figures.empty());
    const quality::Measurements& figures = history.entries[2].Side("front")->figures;
    ASSERT_EQ(figures.size(), 2u);
    EXPECT_EQ(figures[0].first, quality::Figure::NoiseL);
    EXPECT_DOUBLE_EQ(figures[0].second.low, 0.75);
    EXPECT_DOUBLE_EQ(figures[1].second.low, 0.9);
    EXPECT_DOUBLE_EQ(figures[1].second.high, 1.3);
    const std::string trend = Trend(history);
    EXPECT_NE(trend.find("front noise, largest sigma L*"), std::string::npos) << trend;
    EXPECT_NE(trend.find(" - 0.50 0.75  (slope +0.250)"), std::string::npos) << trend;
    EXPECT_NE(trend.find(" - 0.900..1.300 0.900..1.300  (slope +0.000)"), std::string::npos) << trend;
}

TEST(History, ACutLineLosesOnlyItself) {
    TempDir dir;
    const std::string path = dir.File("h.jsonl");
    const std::string first = Line("2026-01-01T10:00:00Z", 0.2, 1, 0.3, 1);
    const std::string cut = Line("2026-01-02T10:00:00Z", 0.4, 2, 0.3, 1);
    // A crash in the middle of the second append; the next run appends after it.
    WriteFileText(path, first + "\n" + cut.substr(0, cut.size() / 2));
    HistoryRead history;
    std::string error;
    ASSERT_TRUE(ReadHistory(path, history, error));
    EXPECT_EQ(history.entries.size(), 1u);
    EXPECT_EQ(history.skipped, 1);
    ASSERT_TRUE(AppendHistory(path, Line("2026-01-03T10:00:00Z", 0.5, 2, 0.3, 1), error));
    ASSERT_TRUE(ReadHistory(path, history, error));
    ASSERT_EQ(history.entries.size(), 2u);
    EXPECT_EQ(history.entries[1].verifiedAt, "2026-01-03T10:00:00Z");
    EXPECT_EQ(history.skipped, 1);
    // Cut exactly before its line end: complete JSON, but without the end it may be short.
    WriteFileText(path, first + "\n" + first);
    ASSERT_TRUE(ReadHistory(path, history, error));
    EXPECT_EQ(history.entries.size(), 1u);
}

TEST(History, ForeignAndOverlongLinesAreSkipped) {
    TempDir dir;
    const std::string path = dir.File("h.jsonl");
    const std::string good = Line("2026-01-01T10:00:00Z", 0.2, 1, 0.3, 1);
    WriteFileText(path, "not json\n{\"schema\":\"other\"}\n" + std::string(MaxHistoryLineBytes + 10, '[') + "\n" +
                            std::string(100000, '[') + "]\n\r\n" + good + "\r\n");
    HistoryRead history;
    std::string error;
    ASSERT_TRUE(ReadHistory(path, history, error));
    EXPECT_EQ(history.entries.size(), 1u);
    EXPECT_EQ(history.skipped, 4);
    EXPECT_FALSE(ReadHistory(dir.File("missing.jsonl"), history, error));
    EXPECT_FALSE(ReadHistory(dir.Path(), history, error));
}

TEST(History, OnlyTheFilesEndIsRead) {
    TempDir dir;
    const std::string path = dir.File("h.jsonl");
    const std::string line = Line("2026-01-01T10:00:00Z", 0.2, 1, 0.3, 1) + "\n";
    {
        std::ofstream file(path, std::ios::binary);
        for (std::size_t size = 0; size < MaxHistoryReadBytes + 1000; size += line.size()) file << line;
        file << Line("last", 0.9, 3, 0.3, 1) << "\n";
    }
    HistoryRead history;
    std::string error;
    ASSERT_TRUE(ReadHistory(path, history, error));
    EXPECT_TRUE(history.olderLeftOut);
    EXPECT_EQ(history.skipped, 0);
    EXPECT_LE(history.entries.size() * line.size(), MaxHistoryReadBytes);
    EXPECT_EQ(history.entries.back().verifiedAt, "last");
}

TEST(History, SerialMadeSafeAsAFileName) {
    const struct {
        const char* serial;
        const char* name;
    } cases[] = {{"Q71-000123", "Q71-000123"}, {"Q71_1", "Q71_1"}, {"Q71:1", "Q71%3A1"}, {"Q71/1", "Q71%2F1"},
                 {"../../etc/passwd", "%2E.%2F..%2Fetc%2Fpasswd"}, {".hidden", "%2Ehidden"}, {"v1.2", "v1.2"},
                 {"100%", "100%25"}, {"", "%unknown"}, {"a b/c\\d\xC3\xA4", "a%20b%2Fc%5Cd%C3%A4"}};
    for (const auto& c : cases) EXPECT_EQ(SafeSerialName(c.serial), c.name) << c.serial;
    // The names of earlier versions, still read: cut at 64 bytes, '_' for other bytes, "unknown".
    EXPECT_EQ(EarlierSerialName(std::string(64, 'A') + ":"), std::string(64, 'A'));
    EXPECT_EQ(EarlierSerialName(std::string(63, 'A') + ":") + EarlierSerialName(""), std::string(63, 'A') + "_unknown");
    // Not cut at 64: the whole serial names the file, and one too long for a folder entry none.
    EXPECT_EQ(SafeSerialName(std::string(83, ':')).size(), 249u);
    EXPECT_EQ(SafeSerialName(std::string(84, ':')) + HistoryPath("/d", std::string(250, 'x')), "");
    EXPECT_DOUBLE_EQ(SlopePerRun({}), 0.0);
    EXPECT_DOUBLE_EQ(SlopePerRun({4.0}), 0.0);
    EXPECT_DOUBLE_EQ(SlopePerRun({1.0, 2.0, 3.0, 4.0}), 1.0);
    EXPECT_DOUBLE_EQ(SlopePerRun({3.0, 1.0, 3.0, 1.0}), -0.4);
}

TEST(History, AppendRefusesWhatIsNoRegularFile) {
    TempDir dir;
    std::string error;
    std::filesystem::create_directories(dir.File("folder.jsonl"));
    EXPECT_FALSE(AppendHistory(dir.File("folder.jsonl"), "{}", error));
    std::filesystem::create_symlink(dir.File("target"), dir.File("link.jsonl"));
    EXPECT_FALSE(AppendHistory(dir.File("link.jsonl"), "{}", error));
    EXPECT_FALSE(std::filesystem::exists(dir.File("target")));
}

}  // namespace
}  // namespace calvix::verify
