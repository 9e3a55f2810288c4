// libFuzzer target for the user-store reader: any bytes (plain, UTF-8 with a mark, UTF-16LE)
// either parse or are refused; a parsed file writes back byte for byte, and a value written
// into it reads back from the rewritten bytes.
#include "platform/RegFileDocument.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using calvix::RegFileDocument;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto document = RegFileDocument::Parse(bytes, error);
    if (!document) {
        if (error.empty()) std::abort();
        return 0;
    }
    const auto unchanged = document->Bytes();
    if (!unchanged || *unchanged != bytes) std::abort();

    constexpr std::string_view key = "\\Software\\Zelmar GmbH\\Calvix";
    for (const char* name : {"LanguageAuto", "Language", "WarmUpTime", "LoadFile", "ListIT8Index"})
        document->Find(key, name);
    if (!document->Set(key, "WarmUpTime", {RegFileDocument::Kind::Dword, "0000012c"})) std::abort();
    if (!document->Set(key, "LoadFile", {RegFileDocument::Kind::String, "C:\\scans\\\"a\".bmp"})) std::abort();
    if (!document->Set("\\Control Panel\\Desktop", "DragFullWindows", {RegFileDocument::Kind::String, "1"}))
        std::abort();

    const auto written = document->Bytes();
    if (!written) std::abort();
    auto reread = RegFileDocument::Parse(*written, error);
    if (!reread) std::abort();
    const auto warmUp = reread->Find(key, "WarmUpTime");
    const auto file = reread->Find(key, "LoadFile");
    if (!warmUp || warmUp->text != "0000012c" || !file || file->text != "C:\\scans\\\"a\".bmp") std::abort();
    return 0;
}
