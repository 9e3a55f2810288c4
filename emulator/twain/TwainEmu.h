// What the source manager stand-in and the Q71 data source share beyond the application's view
// of TWAIN: the TWAIN 2 entry-point record that hands the source the manager's entry and memory
// functions, the protocol flags, the query-support bits, and the default memory functions.
#pragma once

#include "scanner/TwainTypes.h"

#include <malloc.h>

#include <cstdlib>

namespace calvix::twain {

// SupportedGroups flags: the application, the source and the manager speak TWAIN 2.
inline constexpr TW_UINT32 DF_DSM2 = 0x10000000;
inline constexpr TW_UINT32 DF_APP2 = 0x20000000;
inline constexpr TW_UINT32 DF_DS2 = 0x40000000;

// MSG_QUERYSUPPORT answer bits.
inline constexpr TW_INT32 TWQC_GET = 0x0001;
inline constexpr TW_INT32 TWQC_SET = 0x0002;
inline constexpr TW_INT32 TWQC_GETDEFAULT = 0x0004;
inline constexpr TW_INT32 TWQC_GETCURRENT = 0x0008;
inline constexpr TW_INT32 TWQC_RESET = 0x0010;

extern "C" {
using DSM_MEMALLOCATE = TW_HANDLE (*)(TW_UINT32 size);
using DSM_MEMFREE = void (*)(TW_HANDLE handle);
using DSM_MEMLOCK = TW_MEMREF (*)(TW_HANDLE handle);
using DSM_MEMUNLOCK = void (*)(TW_HANDLE handle);
}

#pragma pack(push, 2)
struct TW_ENTRYPOINT {
    TW_UINT32 Size;
    DSMENTRYPROC DSM_Entry;
    DSM_MEMALLOCATE DSM_MemAllocate;
    DSM_MEMFREE DSM_MemFree;
    DSM_MEMLOCK DSM_MemLock;
    DSM_MEMUNLOCK DSM_MemUnlock;
};
#pragma pack(pop)
static_assert(sizeof(TW_ENTRYPOINT) == 44);

// Memory handles on this platform: a handle is the zero-filled block itself, so whoever holds
// one may release it with free().
extern "C" {
inline TW_HANDLE DefaultMemAllocate(TW_UINT32 size) { return std::calloc(size == 0 ? 1 : size, 1); }
inline void DefaultMemFree(TW_HANDLE handle) { std::free(handle); }
inline TW_MEMREF DefaultMemLock(TW_HANDLE handle) { return handle; }
inline void DefaultMemUnlock(TW_HANDLE) {}
}
// The bytes a handle's block can hold: at least what was asked for at its allocation (exactly
// that under the address checker), since every handle here is a calloc'd block.
inline std::size_t DefaultMemSize(TW_HANDLE handle) { return ::malloc_usable_size(handle); }

// Copies a NUL-terminated text into a fixed TWAIN string field, truncating and terminating.
template <std::size_t N>
void CopyTwainString(char (&field)[N], const char* text) {
    std::size_t i = 0;
    for (; text && text[i] != '\0' && i + 1 < N; ++i) field[i] = text[i];
    for (; i < N; ++i) field[i] = '\0';
}

// The length of a fixed TWAIN string field, never reading past it.
template <std::size_t N>
std::size_t TwainStringLength(const char (&field)[N]) {
    std::size_t i = 0;
    while (i < N && field[i] != '\0') ++i;
    return i;
}

}  // namespace calvix::twain

namespace calvix::twain {

// The memory functions a source allocates its handles with: the manager's when it gave them,
// else this platform's own. size tells how many bytes a handle that locks to itself holds
// (nullptr: nobody can tell). The entry-point record has no such function; a manager's
// functions keep the platform's form, a calloc'd block that free() releases, so the platform's
// answer holds for them too wherever the lock hands back the handle itself.
struct MemoryFunctions {
    DSM_MEMALLOCATE allocate = DefaultMemAllocate;
    DSM_MEMFREE release = DefaultMemFree;
    DSM_MEMLOCK lock = DefaultMemLock;
    DSM_MEMUNLOCK unlock = DefaultMemUnlock;
    std::size_t (*size)(TW_HANDLE) = DefaultMemSize;
};

}  // namespace calvix::twain
