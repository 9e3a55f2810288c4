// Process running and file helpers for the tool tests.
#include "AnalyzeRunner.h"

#include "TempDir.h"
#include "analysis/BmpWriter.h"
#include "it8ref/It8Ref.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sys/wait.h>

namespace calvix::test {

namespace {

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

ToolRun RunAnalyze(const std::vector<std::string>& arguments, const std::string& scratchFolder) {
    std::string command = Quoted(std::string(CALVIX_BIN_DIR) + "/calvix-analyze");
    for (const std::string& argument : arguments) command += " " + Quoted(argument);
    const std::string outPath = scratchFolder + "/tool.out";
    const std::string errPath = scratchFolder + "/tool.err";
    command += " >" + Quoted(outPath) + " 2>" + Quoted(errPath);
    const int raw = std::system(command.c_str());
    ToolRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
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
