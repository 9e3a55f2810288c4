// Command lines the tools must refuse before they read or write anything: an empty path, and an
// output that is one of the run's inputs (by any name) or another output. Each runs the real
// program; the input must come through unchanged.
#include "EmulatorProcess.h"
#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace calvix::test {
namespace {

TEST(RefusedPaths, EmptyPathsAndOutputsThatAreInputsEndWithAUsageError) {
    TempDir dir;
    const std::string verify = std::string(CALVIX_BIN_DIR) + "/calvix-verify";
    const std::string analyze = std::string(CALVIX_BIN_DIR) + "/calvix-analyze";
    const std::string render = std::string(CALVIX_BIN_DIR) + "/q71-render";
    const std::string r1 = std::string(CALVIX_TEST_DATA_DIR) + "/it8/R1.txt";
    const std::string scan = dir.File("front.bmp"), helper = dir.File("out/Help_front.bmp");
    const std::string fifo = dir.File("fifo");
    std::filesystem::create_directories(dir.File("out"));
    WriteFileText(scan, "the scan");
    WriteFileText(helper, "a scan kept beside its helper");
    WriteFileText(dir.File("r.json"), "a record");
    ASSERT_EQ(::link(scan.c_str(), dir.File("alias.bmp").c_str()), 0);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::vector<std::string> offline{verify, "-r", r1, "--offline", scan};
    const auto with = [](std::vector<std::string> argv, std::initializer_list<std::string> more) {
        argv.insert(argv.end(), more);
        return argv;
    };
    const struct {
        std::vector<std::string> argv;
        int status;
        std::string message;
    } cases[] = {
        {with(offline, {"--report", ""}), 2, "--report: the value is empty"},
        {with(offline, {"--profile-out", ""}), 2, "--profile-out: the value is empty"},
        {with(offline, {"--keep", ""}), 2, "--keep: the value is empty"},
        {with(offline, {"--record", ""}), 2, "--record: the value is empty"},
        {{verify, "--history", ""}, 2, "--history: the value is empty"},
        {with(offline, {"--report", scan}), 2, "--report '" + scan + "' is the input --offline"},
        // Another name of the same file (a hard link) is seen through by its inode.
        {with(offline, {"--report", dir.File("alias.bmp")}), 2, "is the input --offline '" + scan + "'"},
        {with(offline, {"--record", dir.File("r.json"), "--report", dir.File("r.pdf")}), 2,
         "--report (its JSON) '" + dir.File("r.json") + "' is the input --record"},
        {{verify, "-r", r1, "--offline", helper, "--keep", dir.File("out")}, 2, "--keep (helper image)"},
        {{analyze, "--ti3", "", scan}, 2, "--ti3: the value is empty"},
        {{analyze, "--profile", "", scan}, 2, "--profile: the value is empty"},
        {{analyze, "--ti3", scan, scan}, 2, "--ti3 '" + scan + "' is the input FRONT"},
        {{analyze, "-o", dir.File("out"), helper}, 2, "(helper image) '" + helper + "' is the input FRONT"},
        {{analyze, "-o", dir.Path(), "--ti3", dir.File("CalibrationLut.bin"), scan}, 2, "is also the output -o"},
        {{render, "--truth", ""}, 2, "--truth: the value is empty"},
        {{render, "-o", dir.File("o.bmp"), "--truth", dir.File("o.bmp")}, 2, "is also the output -o"},
        {{render, "-o", dir.File("o.bmp"), "--it8", r1, "--truth", r1}, 2, "is the input --it8"},
        // A truth file in place of a FIFO is refused before the render, so no picture is left.
        {{render, "-o", dir.File("o.bmp"), "--truth", fifo}, 1, "not a regular file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argv[0] + " " + c.argv[c.argv.size() - 2] + " " + c.argv.back());
        const ProgramResult run = RunProgram(c.argv, dir.Path());
        EXPECT_EQ(run.exitCode, c.status) << run.out << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(ReadFileText(scan), "the scan");
        EXPECT_EQ(ReadFileText(helper), "a scan kept beside its helper");
        EXPECT_FALSE(FileExists(dir.File("o.bmp")));
        struct stat info {};
        EXPECT_TRUE(::lstat(fifo.c_str(), &info) == 0 && S_ISFIFO(info.st_mode));
    }
}

}  // namespace
}  // namespace calvix::test
