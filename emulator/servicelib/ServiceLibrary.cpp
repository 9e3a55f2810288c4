// zedareru.zi: the stand-in for the scanner maker's service library. Exports the twelve entry
// points by name with C linkage; the five that the product calls talk to q71-emulator.
//
// C signatures (all return 0 for success):
//   uint32_t ConnectToScanner(uint32_t options)
//   uint32_t DisconnectScanner(void)
//   uint32_t UploadModule(uint32_t kind, uint32_t length, const void* data, uint32_t* result)
//   uint32_t ReadLUTData(uint32_t kind, uint32_t length, void* data, uint32_t* result)
//   uint32_t SendServiceData(const char* text, uint16_t length, uint32_t* scratch)
//   uint32_t ReadServiceData(char* buffer, uint16_t* length, uint32_t* scratch)
//   uint32_t ScandiagTrace(uint32_t level)
//   uint32_t GetSharedValue(uint32_t index, uint32_t* value)
//   uint32_t SetSharedValue(uint32_t index, uint32_t value)
//   uint32_t GetSharedHostIP(char* buffer, uint32_t size)
//   uint32_t GetSharedScannerIP(char* buffer, uint32_t size)
//   uint32_t DoOneFakeScan(void)
#include "ServiceClient.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>

#define CALVIX_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr std::size_t kServiceDataLimit = 1456;
// Short enough that a missing device does not hold up the operator for long.
constexpr int kConnectTimeoutMs = 1000;
// The device stores a module in well under this; longer means it is gone.
constexpr int kUploadTimeoutMs = 5000;
constexpr std::uint32_t kSharedValueCount = 16;

std::mutex guard;
calvix::servicelib::ServiceClient& Client() {
    static calvix::servicelib::ServiceClient client;
    return client;
}
std::uint32_t sharedValues[kSharedValueCount];

std::uint32_t CopyText(const std::string& text, char* buffer, std::uint32_t size) {
    if (!buffer || size == 0) return EINVAL;
    const std::size_t count = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return text.size() < size ? 0 : ERANGE;
}

}  // namespace

CALVIX_EXPORT std::uint32_t ConnectToScanner(std::uint32_t /*options*/) {
    std::lock_guard lock(guard);
    return Client().Connect(kConnectTimeoutMs);
}

CALVIX_EXPORT std::uint32_t DisconnectScanner() {
    std::lock_guard lock(guard);
    Client().Disconnect();
    return 0;
}

CALVIX_EXPORT std::uint32_t UploadModule(std::uint32_t kind, std::uint32_t length, const void* data,
                                         std::uint32_t* result) {
    std::uint32_t ignored = 0;
    if (!result) result = &ignored;
    *result = 0;
    if (!data && length > 0) return calvix::wire::kUploadBadArguments;
    std::lock_guard lock(guard);
    return Client().Upload(kind, data, length, result, kUploadTimeoutMs);
}

CALVIX_EXPORT std::uint32_t ReadLUTData(std::uint32_t, std::uint32_t, void*, std::uint32_t* result) {
    if (result) *result = 0;
    return ENOSYS;  // the device here never sends its tables back
}

CALVIX_EXPORT std::uint32_t SendServiceData(const char* text, std::uint16_t length, std::uint32_t* scratch) {
    if (scratch) *scratch = 0;
    if (!text || length == 0 || length > kServiceDataLimit) return EINVAL;
    std::lock_guard lock(guard);
    return Client().Send(text, length);
}

CALVIX_EXPORT std::uint32_t ReadServiceData(char* buffer, std::uint16_t* length, std::uint32_t* scratch) {
    if (scratch) *scratch = 0;
    if (!buffer || !length) return EINVAL;
    const std::size_t capacity = *length < kServiceDataLimit ? *length : kServiceDataLimit;
    *length = 0;
    std::lock_guard lock(guard);
    std::size_t delivered = 0;
    if (!Client().Receive(buffer, capacity, &delivered)) return ENOTCONN;
    *length = static_cast<std::uint16_t>(delivered);
    return 0;
}

CALVIX_EXPORT std::uint32_t ScandiagTrace(std::uint32_t) { return 0; }

CALVIX_EXPORT std::uint32_t GetSharedValue(std::uint32_t index, std::uint32_t* value) {
    if (!value || index >= kSharedValueCount) return EINVAL;
    std::lock_guard lock(guard);
    *value = sharedValues[index];
    return 0;
}

CALVIX_EXPORT std::uint32_t SetSharedValue(std::uint32_t index, std::uint32_t value) {
    if (index >= kSharedValueCount) return EINVAL;
    std::lock_guard lock(guard);
    sharedValues[index] = value;
    return 0;
}

CALVIX_EXPORT std::uint32_t GetSharedHostIP(char* buffer, std::uint32_t size) {
    return CopyText("127.0.0.1", buffer, size);
}

CALVIX_EXPORT std::uint32_t GetSharedScannerIP(char* buffer, std::uint32_t size) {
    const std::string address = calvix::servicelib::ServiceClient::DeviceAddress();
    return CopyText(address.substr(0, address.rfind(':')), buffer, size);
}

CALVIX_EXPORT std::uint32_t DoOneFakeScan() { return ENOSYS; }
