// The C entry points of the scanner maker's service library (zedareru.zi), as this program
// calls them. All return 0 for success.
#pragma once

#include <cstdint>

namespace calvix::servicelib {

using ConnectToScannerFn = std::uint32_t (*)(std::uint32_t options);
using DisconnectScannerFn = std::uint32_t (*)();
using UploadModuleFn = std::uint32_t (*)(std::uint32_t kind, std::uint32_t length, const void* data,
                                         std::uint32_t* result);
using ReadLUTDataFn = std::uint32_t (*)(std::uint32_t kind, std::uint32_t length, void* data, std::uint32_t* result);
// length: 1 to 1456 bytes of text.
using SendServiceDataFn = std::uint32_t (*)(const char* text, std::uint16_t length, std::uint32_t* scratch);
// length: the buffer size on entry (1456), the number of bytes delivered on return (0: none).
using ReadServiceDataFn = std::uint32_t (*)(char* buffer, std::uint16_t* length, std::uint32_t* scratch);
using ScandiagTraceFn = std::uint32_t (*)(std::uint32_t level);
using GetSharedValueFn = std::uint32_t (*)(std::uint32_t index, std::uint32_t* value);
using SetSharedValueFn = std::uint32_t (*)(std::uint32_t index, std::uint32_t value);
using GetSharedHostIPFn = std::uint32_t (*)(char* buffer, std::uint32_t size);
using GetSharedScannerIPFn = std::uint32_t (*)(char* buffer, std::uint32_t size);
using DoOneFakeScanFn = std::uint32_t (*)();

// UploadModule results the library gives of its own, below them the device's. After
// kUploadNoAnswer the module went out whole and no answer came: the scanner may hold it.
inline constexpr std::uint32_t kUploadNotConnected = 0x10;
inline constexpr std::uint32_t kUploadNoAnswer = 0x11;

// Resolved in this order; a missing one gives library status -102 plus its index.
inline constexpr const char* kEntryPointNames[12] = {
    "ConnectToScanner", "DisconnectScanner", "UploadModule",   "ReadLUTData",
    "SendServiceData",  "ReadServiceData",   "ScandiagTrace",  "GetSharedValue",
    "SetSharedValue",   "GetSharedHostIP",   "GetSharedScannerIP", "DoOneFakeScan",
};

}  // namespace calvix::servicelib
