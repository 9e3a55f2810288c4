// The benchmarks' common entry: the heap is tuned for full-size scans as the programs tune it,
// so the benchmarks measure what the programs do.
#pragma once

#include <benchmark/benchmark.h>

#include "app/MemoryTuning.h"

namespace calvix::bench {

inline int RunBenchmarks(int argc, char** argv) {
    ReuseLargeAllocations();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace calvix::bench
