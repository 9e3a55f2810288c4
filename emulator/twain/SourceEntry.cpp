// q71.ds: the Q71 data source's only export, DS_Entry, over one Q71Source per loaded library.
#include "Q71Source.h"

#include <atomic>

using namespace calvix::twain;

namespace {

// Set once the source is being torn down (library unloaded or process ending): a manager that
// still calls in then gets a failure instead of a destroyed object.
std::atomic<bool> retired{false};

struct Instance {
    ~Instance() { retired = true; }
    Q71Source source;
};

Q71Source& Source() {
    static Instance instance;
    return instance.source;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) TW_UINT16 DS_Entry(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat,
                                                                     TW_UINT16 msg, TW_MEMREF data) {
    if (retired) return TWRC_FAILURE;
    return Source().Entry(origin, dg, dat, msg, data);
}
