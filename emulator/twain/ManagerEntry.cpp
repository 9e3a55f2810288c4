// twain_32.so: the source manager stand-in's only export, DSM_Entry, over one process-wide
// SourceManager that lives as long as the library is loaded.
#include "SourceCatalog.h"
#include "SourceManager.h"

using namespace calvix::twain;

extern "C" __attribute__((visibility("default"))) TW_UINT16 DSM_Entry(TW_IDENTITY* origin, TW_IDENTITY* dest,
                                                                      TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                                                                      TW_MEMREF data);

namespace {

SourceManager& Manager() {
    static SourceManager manager(&DSM_Entry, [] { return SystemDirectory(reinterpret_cast<const void*>(&DSM_Entry)); });
    return manager;
}

}  // namespace

extern "C" TW_UINT16 DSM_Entry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                               TW_MEMREF data) {
    return Manager().Entry(origin, dest, dg, dat, msg, data);
}
