// Test helpers for calvix-analyze: rendered charts written as BMP files, the program run as a
// process with its exit status and output, and the calibration record read back.
#pragma once

#include "ChartRenderer.h"
#include "TestData.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace calvix::test {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs calvix-analyze with the given arguments. With fileSizeLimit (bytes) the program runs
// under that RLIMIT_FSIZE with SIGXFSZ ignored, so a write beyond it fails as on a full disk.
ToolRun RunAnalyze(const std::vector<std::string>& arguments, const std::string& scratchFolder,
                   std::uint64_t fileSizeLimit = 0);

// Renders one side and writes it to path; returns the render for its raw grey values.
RenderedChart RenderToFile(const RenderOptions& options, const std::string& path, bool fromReferenceFile = false);

// A good front scan (the default render), made once per test process and only read: most
// failure cases need some good scan, and rendering one per case is most of their cost.
const std::string& SharedGoodScan();

// The same response for all three channels.
ToneResponse UniformTone(double gain, double offset, double gamma);

// The 6227 bytes of a written record, or nothing when the file is missing or has another size.
std::optional<std::vector<std::uint8_t>> ReadRecord(const std::string& path);

// One of the six tables of a record: side 0 front, 1 rear; channel 0 red, 1 green, 2 blue.
std::array<std::uint8_t, 1024> RecordTable(const std::vector<std::uint8_t>& record, int side, int channel);

inline const std::string ReferenceR1 = std::string(CALVIX_TEST_DATA_DIR) + "/it8/R1.txt";

}  // namespace calvix::test
