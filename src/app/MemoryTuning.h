// Process-wide memory tuning for full-size scans.
#pragma once

namespace calvix {

// A full-size scan, its helper image and their copies are 23 MB each and are allocated and
// freed for every side analysed. Served from fresh mappings, every page of each of them faults
// and is zeroed by the kernel again, which costs about as much as the analysis itself; kept in
// the heap after the first use, they are reused as they are. Call once, early in main.
void ReuseLargeAllocations();

}  // namespace calvix
