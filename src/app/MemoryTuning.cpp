// Keeps large image buffers in the heap between uses (glibc's malloc tunables).
#include "app/MemoryTuning.h"

#include <malloc.h>

namespace calvix {

void ReuseLargeAllocations() {
    // Large enough for a few full-size scans at once; the heap then also keeps them after a free.
    constexpr int kLargeBuffer = 256 * 1024 * 1024;
    mallopt(M_MMAP_THRESHOLD, kLargeBuffer);
    mallopt(M_TRIM_THRESHOLD, kLargeBuffer);
}

}  // namespace calvix
