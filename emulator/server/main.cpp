// q71-emulator: plays an Ethernet-attached Zelmar Q71 on loopback for the service library
// stand-in and the TWAIN data source. Prints "listening on <host>:<port>" once it serves.
// `q71-emulator feed ...` is the operator's hand at a running one (FeedCommand.h).
#include "CommandLine.h"
#include "DeviceState.h"
#include "EmulatorServer.h"
#include "FeedCommand.h"
#include "Scenario.h"
#include "app/MemoryTuning.h"
#include "platform/XdgDirs.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
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

std::string DefaultAddress() {
    const char* address = std::getenv("Q71_ADDRESS");
    return address && *address ? address : "127.0.0.1:7171";
}

// Every switch sets the scenario key of the same meaning, so both are checked alike.
struct Switch {
    const char* name;
    const char* key;
    const char* help;
    bool flag;  // takes no value: sets the key to 1
};

constexpr Switch kSwitches[] = {
    {"--serial", "serial", "serial number", false},
    {"--duplex", "duplex", "1 duplex, 0 simplex", false},
    {"--led", "led", "1 LED light source, 0 lamps", false},
    {"--params", "params", "text of the get_params parameter line", false},
    {"--refuse-connections", "refuse_connections", "close every connection at once", true},
    {"--reply-delay", "reply_delay_ms", "hold every reply back this many ms", false},
    {"--truncate-replies", "truncate_replies", "cut reply lines to this many characters", false},
    {"--batch-replies", "batch_replies", "send all lines of a reply at once", true},
    {"--refuse-command", "refuse_command", "refuse this command (repeatable)", false},
    {"--no-reply", "no_reply", "leave this command unanswered (repeatable)", false},
    {"--refuse-upload", "refuse_upload", "refuse uploads with this code", false},
    {"--drop-after", "drop_after", "drop the first service connection at this request", false},
    {"--feed", "feed", "a sheet in the feeder at start (repeatable): blank[,level=L] or chart-on=front|rear,it8=FILE,...", false},
    {"--front-response", "front_response", "front sensor: gain,offset,gamma (or three groups r/g/b)", false},
    {"--rear-response", "rear_response", "rear sensor: gain,offset,gamma (or three groups r/g/b)", false},
    {"--noise", "noise", "sensor noise sigma in raw 10-bit units", false},
    {"--crosstalk", "crosstalk", "colour crosstalk of both sides on linear RGB: a,b,c,d,e,f,g,h,i row-major, rows sum to 1 (each -1 to 2)", false},
    {"--front-crosstalk", "front_crosstalk", "colour crosstalk of the front side only", false},
    {"--rear-crosstalk", "rear_crosstalk", "colour crosstalk of the rear side only", false},
    {"--blur", "blur", "Gaussian blur sigma in pixels: SIGMA or R,G,B (0 to 5)", false},
    {"--falloff", "falloff", "light lost at the image corners in percent, cos^4 from the centre (0 to 50)", false},
    {"--misregister", "misregister", "red and blue shift against green in pixels: RX,RY,BX,BY (-3 to 3)", false},
    {"--scale", "scale", "sampling rate as a factor of 400 ppi (0.95 to 1.05)", false},
    {"--shot-noise", "shot_noise", "photon noise: variance per raw level (0 to 10)", false},
    {"--truth-dir", "truth_dir", "folder for one truth JSON file per scanned face", false},
    {"--seed", "seed", "noise seed", false},
    {"--offline", "offline", "refuse scan connections: the device is offline", true},
    {"--transfer-fail", "transfer_fail", "fail the transfer of front, rear, both or none", false},
    {"--transfer-cancel", "transfer_cancel", "cancel the transfer of front, rear, both or none", false},
    {"--bit-depth", "bit_depth", "deliver images of 8, 24 or 32 bits", false},
    {"--cap-refuse", "cap_refuse", "refuse sets of a capability: CAP:CONDITION, e.g. 0x8136:10 (repeatable)", false},
    {"--cap-checkstatus", "cap_checkstatus", "answer sets of a capability with TWRC_CHECKSTATUS (repeatable)", false},
    {"--hello-timeout", "hello_timeout_ms", "close a connection not greeting within this many ms", false},
    {"--idle-timeout", "idle_timeout_s", "close a connection idle for this many seconds", false},
};

int Refuse(const std::string& message) {
    std::fprintf(stderr, "q71-emulator: %s\n", message.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using calvix::emulator::Scenario;
    // Every scan renders and sends faces of 23 MB; kept in the heap, their pages are reused.
    calvix::ReuseLargeAllocations();
    CLI::App app{"q71-emulator: an emulated Zelmar Q71 scanner on loopback"};

    std::string listen = DefaultAddress();
    std::string statePath = DefaultStatePath();
    std::string scenarioPath;
    std::string logPath;
    app.add_option("--listen", listen, "loopback host:port to serve (port 0 picks a free one; env Q71_ADDRESS)");
    app.add_option("--state", statePath, "device state file, kept across restarts");
    app.add_option("--scenario", scenarioPath, "scenario file of key=value lines");
    app.add_option("--log", logPath, "log file (default: standard error)");
    std::vector<std::vector<std::string>> switchValues(std::size(kSwitches));
    std::vector<CLI::Option*> switchOptions;
    for (std::size_t i = 0; i < std::size(kSwitches); ++i) {
        switchOptions.push_back(kSwitches[i].flag ? app.add_flag(kSwitches[i].name, kSwitches[i].help)
                                                  : app.add_option(kSwitches[i].name, switchValues[i], kSwitches[i].help)
                                                        ->expected(1)
                                                        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll));
    }

    calvix::emulator::FeedRequest feed;
    feed.address = DefaultAddress();
    CLI::App* feedCommand = app.add_subcommand("feed", "put a sheet into a running emulator's feeder");
    feedCommand->add_option("--address", feed.address, "host:port of the emulator (env Q71_ADDRESS)");
    feedCommand->add_option("--chart-on", feed.chartOn, "the face that shows the chart")->check(CLI::IsMember({"front", "rear"}));
    feedCommand->add_option("--it8", feed.it8, "IT8 reference file of the chart");
    feedCommand->add_option("--rotate", feed.rotate, "rotation of the chart in degrees, clockwise");
    feedCommand->add_option("--shift-x", feed.shiftX, "shift of the chart to the right in pixels");
    feedCommand->add_option("--shift-y", feed.shiftY, "shift of the chart downwards in pixels");
    feedCommand->add_flag("--blank", feed.blank, "a sheet of blank paper");
    double level = 0.0;
    CLI::Option* levelOption =
        feedCommand->add_option("--level", level, "with --blank: a uniform grey sheet of this encoded level (0.05-1)");
    feedCommand->add_flag("--list", feed.list, "list the sheets in the feeder");
    feedCommand->add_flag("--clear", feed.clear, "take every sheet out of the feeder");

    if (const std::optional<int> exitCode = calvix::ParseCommandLine(app, argc, argv)) return *exitCode;
    if (!app.remaining().empty() || !feedCommand->remaining().empty()) return Refuse("unexpected argument");
    if (*feedCommand) {
        if (levelOption->count() > 0) feed.level = level;
        return calvix::emulator::RunFeedCommand(feed);
    }

    Scenario scenario;
    std::string error;
    if (!scenarioPath.empty() && !calvix::emulator::LoadScenarioFile(scenarioPath, &scenario, &error)) return Refuse(error);
    // Switches given on the command line override the scenario file.
    for (std::size_t i = 0; i < std::size(kSwitches); ++i) {
        std::vector<std::string> values = switchValues[i];
        if (kSwitches[i].flag && switchOptions[i]->count() > 0) values = {"1"};
        for (const std::string& value : values) {
            if (!calvix::emulator::ApplyScenarioSetting(kSwitches[i].key, value, &scenario, &error))
                return Refuse(std::string(kSwitches[i].name) + ": " + error);
        }
    }

    calvix::emulator::ListenAddress address;
    if (!calvix::emulator::ParseListenAddress(listen, &address, &error)) return Refuse(error);

    std::FILE* log = stderr;
    if (!logPath.empty()) {
        log = std::fopen(logPath.c_str(), "a");
        if (!log) return Refuse("cannot open log " + logPath);
    }

    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(statePath).parent_path(), ignored);
    calvix::device::DeviceState state;
    // A state file that cannot be read whole is left as it is: starting on defaults would
    // overwrite it and lose the stored LUT.
    if (!state.Load(statePath, &error)) {
        if (log != stderr) std::fprintf(log, "q71-emulator: %s\n", error.c_str());
        if (log != stderr) std::fclose(log);
        return Refuse(error);
    }
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
            std::printf("q71-emulator listening on %s:%u\n", server.Host().c_str(), static_cast<unsigned>(server.Port()));
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
