// Benchmark of making one side's ICC input profile in-process from its measured chart patches:
// the shapers, the matrix, the table, both profiles written and read back twice to be measured.
// Goal: at most 150 ms median per side.
#include "ChartColours.h"
#include "ChartRenderer.h"
#include "profiling/ProfileBuilder.h"

#include "BenchMain.h"
#include <benchmark/benchmark.h>

#include <cmath>

namespace {

using namespace calvix;

ChartMeasurement RenderedPatches() {
    TIT8Ref reference;
    reference.LoadFile(CALVIX_BENCH_REFERENCE);
    RenderOptions options;
    for (ChannelResponse& c : options.tone.channel) c = {0.95, 0.02, 1.1};
    options.noiseSigma = 1.5;
    options.rotationDegrees = 0.3;
    options.optics.crosstalk = {0.86, 0.12, 0.02, 0.06, 0.88, 0.06, 0.02, 0.10, 0.88};
    const RenderedChart chart = RenderChart(ChartColoursFromReference(reference), options);
    std::array<Point, 5> slots{};
    const int order[4] = {SlotUpperLeft, SlotUpperRight, SlotLowerLeft, SlotLowerRight};
    for (int i = 0; i < 4; ++i)
        slots[order[i]] = {static_cast<int>(std::lround(chart.corners[i][0])), static_cast<int>(std::lround(chart.corners[i][1]))};
    return MeasureChartPatches(chart.image, slots, reference);
}

void BM_BuildInputProfile(benchmark::State& state) {
    ProfileRequest request;
    request.patches = RenderedPatches();
    request.identity = {"Zelmar Q71", "Q71-BENCH", "front", "2026-12-09", "R1"};
    request.iccVersion = static_cast<int>(state.range(0));
    std::string error;
    for (auto _ : state) {
        std::optional<BuiltProfile> built = BuildInputProfile(request, error);
        if (!built) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(built);
    }
}
BENCHMARK(BM_BuildInputProfile)->Arg(4)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return calvix::bench::RunBenchmarks(argc, argv); }
