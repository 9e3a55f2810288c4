// Runs the real q71-emulator for a test: on a free loopback port, with its own state file and
// log, stopped with SIGTERM when the test ends.
#pragma once

#include <string>
#include <vector>
#include <sys/types.h>

namespace calvix::test {

class EmulatorProcess {
public:
    // Starts q71-emulator with --listen <host>:0 --state statePath --log logPath plus args,
    // and waits for the port it prints. Started() tells whether that worked.
    EmulatorProcess(const std::string& statePath, const std::string& logPath, std::vector<std::string> args = {},
                    std::string host = "127.0.0.1");
    ~EmulatorProcess();
    EmulatorProcess(const EmulatorProcess&) = delete;
    EmulatorProcess& operator=(const EmulatorProcess&) = delete;

    bool Started() const { return port_ > 0; }
    bool Running() const { return pid_ > 0; }
    int Port() const { return port_; }
    std::string Address() const { return host_ + ":" + std::to_string(port_); }
    // Sends SIGTERM and waits; the exit status as waitpid gives it, or -1.
    int Stop();

    static std::string BinaryPath();

private:
    pid_t pid_ = -1;
    int port_ = 0;
    std::string host_;
};

struct ProgramResult {
    int exitCode = -1;  // -1 when it did not end normally
    std::string out;
    std::string err;
};

// Runs a program to its end with standard output and error captured in files of folder; one
// still running after 20 s is killed and reported with exit code -1.
ProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& folder);

// Sets Q71_ADDRESS for the library in this process, restoring the old value on destruction.
class ScopedDeviceAddress {
public:
    explicit ScopedDeviceAddress(const std::string& address);
    ~ScopedDeviceAddress();

private:
    bool had_ = false;
    std::string old_;
};

}  // namespace calvix::test
