// libFuzzer target for the profiles an operator names (--profile FILE): any bytes are refused or
// read, and a profile that reads gives its description, its bytes and its device-to-Lab readings
// without reading outside its buffers.
#include "colour/IccProfile.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    const std::optional<calvix::IccProfile> profile =
        calvix::IccProfile::FromBytes(std::vector<std::uint8_t>(data, data + size), error);
    if (!profile) {
        if (error.empty()) std::abort();
        return 0;
    }
    (void)profile->Description();
    (void)profile->Bytes();
    (void)profile->InputProfileProblem();
    const calvix::RgbToLabTransform transform(*profile);
    if (transform.Valid()) {
        for (double v : {0.0, 17.5, 128.0, 255.0}) (void)transform.Apply(v, 255.0 - v, v / 2);
    }
    return 0;
}
