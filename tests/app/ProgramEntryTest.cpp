// The program itself, headless: a whole run in a private data folder, and a start-up that
// raises through the entry's handlers and still exits with 0.
#include <gtest/gtest.h>

#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

#include "TempDir.h"
#include "TestData.h"
#include "platform/StopSignals.h"

namespace calvix::test {
namespace {

struct RunResult {
    int exitCode;
    std::string output;
};

RunResult RunCalvix(const TempDir& dir, const std::string& args) {
    const std::string command = "XDG_DATA_HOME='" + dir.File("data") + "' XDG_CONFIG_HOME='" + dir.File("cfg") +
                                "' XDG_RUNTIME_DIR='" + dir.Path() + "' LANG=en_US.UTF-8 '" CALVIX_BIN_DIR
                                "/calvix' " + args + " 2>&1";
    RunResult r{-1, {}};
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p)) r.output.append(buf, n);
    const int status = ::pclose(p);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

TEST(ProgramEntryTest, HeadlessRunWritesLogIniAndStore) {
    TempDir dir;
    const RunResult r = RunCalvix(dir, "--headless --ticks 3");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(FileExists(dir.File("data/Zelmar GmbH/Calvix/Calvix.log")));
    EXPECT_TRUE(FileExists(dir.File("data/Zelmar GmbH/Calvix/Calvix.ini")));
    EXPECT_TRUE(FileExists(dir.File("cfg/Zelmar GmbH/Calvix.reg")));
    EXPECT_NE(r.output.find("Calvix log:"), std::string::npos);
}

// The log opens with the separator, the header item and the separator: in the file from its
// first flush on, and on the console as the program's very first output.
TEST(ProgramEntryTest, LogFileAndConsoleOpenWithTheHeaderBetweenSeparators) {
    TempDir dir;
    const RunResult r = RunCalvix(dir, "--headless --ticks 1");
    ASSERT_EQ(r.exitCode, 0);
    const std::string sep(79, '=');
    const std::string log = ReadFileText(dir.File("data/Zelmar GmbH/Calvix/Calvix.log"));
    const std::string head = sep + "\r\n\nCalvix Log File\nDate: ";
    ASSERT_GE(log.size(), head.size() + 10 + 2 + sep.size() + 2);
    EXPECT_EQ(log.substr(0, head.size()), head);
    const std::string date = log.substr(head.size(), 10);
    for (std::size_t i = 0; i < date.size(); ++i)
        EXPECT_TRUE(i == 4 || i == 7 ? date[i] == '-' : std::isdigit(static_cast<unsigned char>(date[i]))) << date;
    EXPECT_EQ(log.substr(head.size() + 10, 2 + sep.size() + 2), "\r\n" + sep + "\r\n");
    EXPECT_EQ(r.output.rfind(sep + "\n\nCalvix Log File\nDate: " + date + "\n" + sep + "\n", 0), 0u) << r.output;
}

// A relative XDG folder is ignored as if unset: the files go below $HOME, never to the root.
TEST(ProgramEntryTest, RelativeXdgFoldersFallBackToHome) {
    TempDir dir;
    const std::string command = "cd '" + dir.Path() + "' && HOME='" + dir.Path() +
                                "' XDG_DATA_HOME=data XDG_CONFIG_HOME=cfg XDG_RUNTIME_DIR='" + dir.Path() +
                                "' '" CALVIX_BIN_DIR "/calvix' --headless --ticks 1 >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(FileExists(dir.File(".local/share/Zelmar GmbH/Calvix/Calvix.log")));
    EXPECT_TRUE(FileExists(dir.File(".local/share/Zelmar GmbH/Calvix/Calvix.ini")));
    EXPECT_TRUE(FileExists(dir.File(".config/Zelmar GmbH/Calvix.reg")));
    EXPECT_FALSE(FileExists(dir.File("data/Zelmar GmbH/Calvix/Calvix.log")));
}

TEST(ProgramEntryTest, AWrongTypedStoreValueReachesStageIAndExitsWithZero) {
    TempDir dir;
    ::mkdir(dir.File("cfg").c_str(), 0755);
    ::mkdir(dir.File("cfg/Zelmar GmbH").c_str(), 0755);
    WriteFileText(dir.File("cfg/Zelmar GmbH/Calvix.reg"),
                  "Windows Registry Editor Version 5.00\r\n\r\n[Software\\Zelmar GmbH\\Calvix]\r\n"
                  "\"ExpertMode\"=\"no\"\r\n");
    const RunResult r = RunCalvix(dir, "--headless --ticks 3");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.output.find("Exception handler stage I: Calvixin line: "), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("[message box] Calvix: Invalid data type for 'ExpertMode'"), std::string::npos);
    // The failed start writes nothing back: the store keeps its bad value for the operator to see.
    EXPECT_NE(ReadFileText(dir.File("cfg/Zelmar GmbH/Calvix.reg")).find("\"ExpertMode\"=\"no\""), std::string::npos);
}

// Without SA_RESTART a stop signal ends the waiting call it lands in (a FIFO's open, a pipe's read).
TEST(StopSignals, AreSeenAndDoNotRestartTheCallTheyInterrupt) {
    InstallStopSignals();
    EXPECT_FALSE(StopRequested());
    for (const int signal : {SIGINT, SIGTERM}) {
        struct sigaction action {};
        ASSERT_EQ(::sigaction(signal, nullptr, &action), 0);
        EXPECT_TRUE(action.sa_handler != SIG_DFL && (action.sa_flags & SA_RESTART) == 0) << signal;
    }
    ::raise(SIGTERM);
    EXPECT_TRUE(StopRequested());
    std::signal(SIGINT, SIG_DFL), std::signal(SIGTERM, SIG_DFL);
}

}  // namespace
}  // namespace calvix::test
