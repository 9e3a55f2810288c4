// libFuzzer target for the IT8 reference-file reader: each input is written to a temporary
// file and loaded into one long-lived record, as the program loads file after file.
#include "it8ref/It8Ref.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string TemporaryPath() {
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder && *folder ? folder : "/tmp") + "/fuzz_it8ref_" + std::to_string(getpid()) + ".txt";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = TemporaryPath();
    static calvix::TIT8Ref record;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    // Both loads, in turn: the strict one also judges the file and describes its fault.
    calvix::It8ReadReport report;
    if (size % 2 == 0) {
        record.LoadFile(path, &report);
    } else {
        record.LoadCalibrationReference(path, report);
    }
    if (calvix::DescribeIt8Fault(report).empty()) std::abort();
    record.UpdateReferenceGrey();
    // Every stored value came from a finite number in the file.
    for (const auto& grey : record.greyXYZ)
        for (float v : grey)
            if (!std::isfinite(v)) std::abort();
    for (const auto& row : record.patchXYZ)
        for (const auto& patch : row)
            for (float v : patch)
                if (!std::isfinite(v)) std::abort();
    return 0;
}
