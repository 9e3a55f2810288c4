// A service library that lacks one entry point (OMITTED_ENTRY, 0-11 in resolving order), built
// once per entry point to check that each gap gives its own library status.
#include <cstdint>

#define ENTRY(index, name) \
    extern "C" __attribute__((visibility("default"))) std::uint32_t name() { return 0; }

#if OMITTED_ENTRY != 0
ENTRY(0, ConnectToScanner)
#endif
#if OMITTED_ENTRY != 1
ENTRY(1, DisconnectScanner)
#endif
#if OMITTED_ENTRY != 2
ENTRY(2, UploadModule)
#endif
#if OMITTED_ENTRY != 3
ENTRY(3, ReadLUTData)
#endif
#if OMITTED_ENTRY != 4
ENTRY(4, SendServiceData)
#endif
#if OMITTED_ENTRY != 5
ENTRY(5, ReadServiceData)
#endif
#if OMITTED_ENTRY != 6
ENTRY(6, ScandiagTrace)
#endif
#if OMITTED_ENTRY != 7
ENTRY(7, GetSharedValue)
#endif
#if OMITTED_ENTRY != 8
ENTRY(8, SetSharedValue)
#endif
#if OMITTED_ENTRY != 9
ENTRY(9, GetSharedHostIP)
#endif
#if OMITTED_ENTRY != 10
ENTRY(10, GetSharedScannerIP)
#endif
#if OMITTED_ENTRY != 11
ENTRY(11, DoOneFakeScan)
#endif
