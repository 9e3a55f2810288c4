// Child process handling for the emulator tests.
#include "EmulatorProcess.h"

#include "TempDir.h"
#include "TestData.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace calvix::test {

namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kRunTimeoutMs = 20000;
constexpr int kRunPollMs = 5;

}  // namespace

std::string EmulatorProcess::BinaryPath() { return std::string(CALVIX_BIN_DIR) + "/q71-emulator"; }

EmulatorProcess::EmulatorProcess(const std::string& statePath, const std::string& logPath,
                                 std::vector<std::string> args, std::string host)
    : host_(std::move(host)) {
    int out[2];
    if (::pipe(out) != 0) return;
    std::vector<std::string> all = {BinaryPath(), "--listen", host_ + ":0", "--state", statePath, "--log", logPath};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    if (pid_ < 0) {
        ::close(out[0]);
        return;
    }
    std::string text;
    char buffer[256];
    const std::string marker = "listening on " + host_ + ":";
    for (;;) {
        pollfd p{out[0], POLLIN, 0};
        if (::poll(&p, 1, kStartTimeoutMs) != 1) break;
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
        const std::size_t at = text.find(marker);
        if (at != std::string::npos && text.find('\n', at) != std::string::npos) {
            port_ = std::atoi(text.c_str() + at + marker.size());
            break;
        }
    }
    ::close(out[0]);
}

EmulatorProcess::~EmulatorProcess() { Stop(); }

int EmulatorProcess::Stop() {
    if (pid_ <= 0) return -1;
    ::kill(pid_, SIGTERM);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    port_ = 0;
    return status;
}

ProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& folder) {
    const std::string outPath = folder + "/program.out";
    const std::string errPath = folder + "/program.err";
    std::vector<std::string> all = argv;
    std::vector<char*> args;
    for (auto& arg : all) args.push_back(arg.data());
    args.push_back(nullptr);
    ProgramResult result;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    // A program that should have ended but serves on is stopped, so the test fails, not hangs.
    int status = 0;
    pid_t ended = 0;
    for (int waited = 0; pid > 0 && ended == 0; waited += kRunPollMs) {
        ended = ::waitpid(pid, &status, WNOHANG);
        if (ended == 0 && waited >= kRunTimeoutMs) ::kill(pid, SIGKILL);
        if (ended == 0) ::usleep(kRunPollMs * 1000);
    }
    if (ended == pid && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    result.out = ReadFileText(outPath);
    result.err = ReadFileText(errPath);
    return result;
}

ScopedDeviceAddress::ScopedDeviceAddress(const std::string& address) {
    if (const char* old = std::getenv("Q71_ADDRESS")) {
        had_ = true;
        old_ = old;
    }
    ::setenv("Q71_ADDRESS", address.c_str(), 1);
}

ScopedDeviceAddress::~ScopedDeviceAddress() {
    if (had_) ::setenv("Q71_ADDRESS", old_.c_str(), 1);
    else ::unsetenv("Q71_ADDRESS");
}

}  // namespace calvix::test
