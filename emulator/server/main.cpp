// q71-emulator: plays an Ethernet-attached Zelmar Q71 on loopback for the service library
// stand-in and the TWAIN data source. Prints "listening on 127.0.0.1:<port>" once it serves.
#include "DeviceState.h"
#include "EmulatorServer.h"
#include "Scenario.h"
#include "platform/XdgDirs.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <fcntl.h>
#include <unistd.h>

namespace {

int stopPipe[2] = {-1, -1};

void OnStopSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(stopPipe[1], &byte, 1);
    errno = saved;
}

std::string DefaultStatePath() {
    std::string base = calvix::XdgStateHome();
    if (base.empty()) base = "/tmp";
    return base + "/q71-emulator/device.state";
}

}  // namespace

int main(int argc, char** argv) {
    using calvix::emulator::Scenario;
    CLI::App app{"q71-emulator: an emulated Zelmar Q71 scanner on loopback"};

    const char* envAddress = std::getenv("Q71_ADDRESS");
    std::string listen = envAddress && *envAddress ? envAddress : "127.0.0.1:7171";
    std::string statePath = DefaultStatePath();
    std::string scenarioPath;
    std::string logPath;
    app.add_option("--listen", listen, "loopback host:port to serve (port 0 picks a free one; env Q71_ADDRESS)");
    app.add_option("--state", statePath, "device state file, kept across restarts");
    app.add_option("--scenario", scenarioPath, "scenario file of key=value lines");
    app.add_option("--log", logPath, "log file (default: standard error)");

    Scenario cli;
    std::string serial, params;
    int duplex = -1, led = -1;
    std::vector<std::string> refused, unanswered;
    long long refuseUpload = -1;
    app.add_option("--serial", serial, "serial number");
    app.add_option("--duplex", duplex, "1 duplex, 0 simplex")->check(CLI::Range(0, 1));
    app.add_option("--led", led, "1 LED light source, 0 lamps")->check(CLI::Range(0, 1));
    app.add_option("--params", params, "text of the get_params parameter line");
    app.add_flag("--refuse-connections", cli.refuseConnections, "close every connection at once");
    app.add_option("--reply-delay", cli.replyDelayMs, "hold every reply back this many ms")->check(CLI::Range(0, 60000));
    app.add_option("--truncate-replies", cli.truncateReplies, "cut reply lines to this many characters")
        ->check(CLI::Range(0, 1000));
    app.add_flag("--batch-replies", cli.batchReplies, "send all lines of a reply at once");
    app.add_option("--refuse-command", refused, "refuse this command (repeatable)");
    app.add_option("--no-reply", unanswered, "leave this command unanswered (repeatable)");
    app.add_option("--refuse-upload", refuseUpload, "refuse uploads with this code")->check(CLI::Range(0LL, 0xFFFFFFFFLL));
    app.add_option("--drop-after", cli.dropAfterRequests, "drop the first service connection at this request")
        ->check(CLI::Range(0, 1000000));
    CLI11_PARSE(app, argc, argv);

    Scenario scenario;
    std::string error;
    if (!scenarioPath.empty() && !calvix::emulator::LoadScenarioFile(scenarioPath, &scenario, &error)) {
        std::fprintf(stderr, "q71-emulator: %s\n", error.c_str());
        return 2;
    }
    // Switches given on the command line override the scenario file.
    if (!serial.empty()) scenario.serial = serial;
    if (duplex >= 0) scenario.duplex = duplex == 1;
    if (led >= 0) scenario.led = led == 1;
    if (!params.empty()) scenario.params = params;
    if (cli.refuseConnections) scenario.refuseConnections = true;
    if (cli.replyDelayMs > 0) scenario.replyDelayMs = cli.replyDelayMs;
    if (cli.truncateReplies > 0) scenario.truncateReplies = cli.truncateReplies;
    if (cli.batchReplies) scenario.batchReplies = true;
    for (auto& name : refused) scenario.commands.refused.push_back(name);
    for (auto& name : unanswered) scenario.commands.unanswered.push_back(name);
    if (refuseUpload >= 0) scenario.refuseUploadCode = static_cast<std::uint32_t>(refuseUpload);
    if (cli.dropAfterRequests > 0) scenario.dropAfterRequests = cli.dropAfterRequests;

    calvix::emulator::ListenAddress address;
    if (!calvix::emulator::ParseListenAddress(listen, &address, &error)) {
        std::fprintf(stderr, "q71-emulator: %s\n", error.c_str());
        return 2;
    }

    std::FILE* log = stderr;
    if (!logPath.empty()) {
        log = std::fopen(logPath.c_str(), "a");
        if (!log) {
            std::fprintf(stderr, "q71-emulator: cannot open log %s\n", logPath.c_str());
            return 2;
        }
    }

    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(statePath).parent_path(), ignored);
    calvix::device::DeviceState state;
    if (!state.Load(statePath, &error)) std::fprintf(log, "q71-emulator: %s (defaults kept)\n", error.c_str());
    scenario.ApplyModel(state);

    if (::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("q71-emulator: pipe");
        return 1;
    }
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    int exitCode = 0;
    {
        // The server logs while it closes its connections, so it must be gone before the log.
        calvix::emulator::EmulatorServer server(state, scenario, statePath, log);
        if (server.Listen(address, &error)) {
            std::string saveError;
            if (!state.Save(statePath, &saveError)) std::fprintf(log, "q71-emulator: %s\n", saveError.c_str());
            std::printf("q71-emulator listening on %s:%u\n", address.host.c_str(),
                        static_cast<unsigned>(server.Port()));
            std::fflush(stdout);
            server.Run(stopPipe[0]);
        } else {
            std::fprintf(stderr, "q71-emulator: %s\n", error.c_str());
            exitCode = 1;
        }
    }
    if (log != stderr) std::fclose(log);
    return exitCode;
}
