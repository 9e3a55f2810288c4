// Benchmark of the image-quality figures of one side in-process, in the one call the programs
// make: tone response and gain modulation, noise, white balance, colour accuracy, sampling rate,
// sharpness and registration from the chart scan, the illumination uniformity of a blank page,
// and the grades. Goal: all of them in at most 150 ms median.
#include "ChartColours.h"
#include "ChartRenderer.h"
#include "colour/ColourSpaces.h"
#include "it8ref/It8Ref.h"
#include "quality/ReferenceLab.h"
#include "quality/SideQuality.h"

#include "BenchMain.h"
#include <benchmark/benchmark.h>

#include <cmath>

namespace {

using namespace calvix;

struct Side {
    ScanBitmap chart;
    ScanBitmap blank;
    std::array<Point, 5> slots{};
    std::array<Lab, GreyPatchCount> referenceGreys{};
    quality::PatchReference referencePatches{};
};

Side RenderSide() {
    TIT8Ref reference;
    reference.LoadFile(CALVIX_BENCH_REFERENCE);
    RenderOptions options;
    options.noiseSigma = 1.5;
    options.rotationDegrees = 0.4;
    options.optics.blurSigma = {1.5, 1.5, 1.5};
    options.optics.misregister = {0.5, 0.0, 0.0, -0.3};
    options.optics.falloffPercent = 4.0;
    RenderedChart chart = RenderChart(ChartColoursFromReference(reference), options);
    Side side;
    side.chart = std::move(chart.image);
    side.blank = RenderBlankPage(options);
    const int order[4] = {SlotUpperLeft, SlotUpperRight, SlotLowerLeft, SlotLowerRight};
    for (int i = 0; i < 4; ++i)
        side.slots[order[i]] = {static_cast<int>(std::lround(chart.corners[i][0])), static_cast<int>(std::lround(chart.corners[i][1]))};
    side.referenceGreys = quality::ReferenceGreyLab(reference);
    side.referencePatches = quality::ReferencePatchLab(reference);
    return side;
}

void BM_QualityFiguresOfOneSide(benchmark::State& state) {
    const Side side = RenderSide();
    quality::SideQualityInput input;
    input.chart = &side.chart;
    input.blankPage = &side.blank;
    input.cornerSlots = side.slots;
    input.referenceGreys = side.referenceGreys;
    input.referencePatches = side.referencePatches;
    input.decode = quality::SrgbDecoder();
    std::string error;
    for (auto _ : state) {
        quality::SideQuality quality;
        if (!quality::MeasureSideQuality(input, &quality, &error)) state.SkipWithError(error.c_str());
        if (quality.sharpness.horizontal.status != EdgeStatus::Measured || !quality.uniformity.figures)
            state.SkipWithError("a figure was not measured");
        benchmark::DoNotOptimize(quality);
    }
}
BENCHMARK(BM_QualityFiguresOfOneSide)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return calvix::bench::RunBenchmarks(argc, argv); }
