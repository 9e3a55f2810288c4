// Process running and file helpers for the tool tests.
#include "AnalyzeRunner.h"

#include "TempDir.h"
#include "analysis/BmpWriter.h"
#include "it8ref/It8Ref.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace calvix::test {

ToolRun RunAnalyze(const std::vector<std::string>& arguments, const std::string& scratchFolder,
                   std::uint64_t fileSizeLimit) {
    const std::string program = std::string(CALVIX_BIN_DIR) + "/calvix-analyze";
    const std::string outPath = scratchFolder + "/tool.out";
    const std::string errPath = scratchFolder + "/tool.err";
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        // Only async-signal-safe calls from here to exec.
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
        if (fileSizeLimit > 0) {
            const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
            ::signal(SIGXFSZ, SIG_IGN);  // an ignored signal stays ignored across exec
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
        }
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ToolRun run;
    int raw = 0;
    if (child > 0 && ::waitpid(child, &raw, 0) == child) run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadFileText(outPath);
    run.err = ReadFileText(errPath);
    return run;
}

RenderedChart RenderToFile(const RenderOptions& options, const std::string& path, bool fromReferenceFile) {
    ChartColours colours = SyntheticChartColours();
    if (fromReferenceFile) {
        TIT8Ref& reference = It8Reference();
        EXPECT_EQ(reference.LoadFile(ReferenceR1), 0);
        colours = ChartColoursFromReference(reference);
    }
    RenderedChart chart = RenderChart(colours, options);
    std::string error;
    EXPECT_TRUE(SaveBmpFile(chart.image, path, error)) << error;
    return chart;
}

const std::string& SharedGoodScan() {
    static const TempDir folder;
    static const std::string path = [] {
        const std::string file = folder.File("good.bmp");
        RenderToFile(RenderOptions{}, file);
        return file;
    }();
    return path;
}

ToneResponse UniformTone(double gain, double offset, double gamma) {
    ToneResponse tone;
    for (ChannelResponse& channel : tone.channel) channel = {gain, offset, gamma};
    return tone;
}

std::optional<std::vector<std::uint8_t>> ReadRecord(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (bytes.size() != 6227) return std::nullopt;
    return bytes;
}

std::array<std::uint8_t, 1024> RecordTable(const std::vector<std::uint8_t>& record, int side, int channel) {
    std::array<std::uint8_t, 1024> table{};
    const std::size_t offset = 83 + 1024 * static_cast<std::size_t>(3 * side + channel);
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = record[offset + i];
    return table;
}

}  // namespace calvix::test
