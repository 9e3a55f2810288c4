// libFuzzer target for the INI reader: any text loads, every setting reads, the written text
// reads back to itself, and a value written reads back as written.
#include "app/IniFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    calvix::IniFile ini;
    ini.LoadText(std::string(reinterpret_cast<const char*>(data), size));
    static const char* const keys[][2] = {
        {"Logging", "Active"},        {"Logging", "Timestamp"},          {"Logging", "Debug"},
        {"Logging", "Info"},          {"Logging", "Error"},              {"Logging", "Status"},
        {"Logging", "VCL"},           {"Logging", "LogLevel"},           {"Miscellaneous", "GWTolerance"},
        {"Miscellaneous", "BlackThreshold"}, {"Calibration", "ApplyChrAdaption"},
    };
    for (const auto& key : keys) {
        ini.ReadBool(key[0], key[1], true);
        ini.ReadString(key[0], key[1], "");
        std::int32_t parsed = 0;
        calvix::ParseInt32(ini.ReadString(key[0], key[1], ""), parsed);
    }

    const std::string text = ini.Text();
    calvix::IniFile again;
    again.LoadText(text);
    if (again.Text() != text) std::abort();

    ini.WriteInteger("Logging", "LogLevel", -77);
    ini.WriteBool("Calibration", "ApplyChrAdaption", true);
    if (ini.ReadInteger("Logging", "LogLevel", 0) != -77) std::abort();
    if (!ini.ReadBool("Calibration", "ApplyChrAdaption", false)) std::abort();
    return 0;
}
