// Benchmark of the image-quality figures of one side in-process: tone response and gain
// modulation, noise, sampling rate, sharpness and registration from the chart scan, and the
// illumination uniformity of a blank page. Goal: all of them in at most 150 ms median.
#include "ChartColours.h"
#include "ChartRenderer.h"
#include "colour/ColourSpaces.h"
#include "it8ref/It8Ref.h"
#include "quality/ChartSharpness.h"
#include "quality/PatchNoise.h"
#include "quality/PixelDecoder.h"
#include "quality/SamplingRate.h"
#include "quality/ToneResponse.h"
#include "quality/Uniformity.h"

#include "BenchMain.h"
#include <benchmark/benchmark.h>

#include <cmath>

namespace {

using namespace calvix;

struct Side {
    ScanBitmap chart;
    ScanBitmap blank;
    std::array<Point, 5> slots{};
    std::array<double, GreyPatchCount> referenceL{};
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
    for (int i = 0; i < GreyPatchCount; ++i) {
        const float* xyz = reference.greyXYZ[i];
        side.referenceL[static_cast<std::size_t>(i)] = XyzToLab({xyz[0], xyz[1], xyz[2]}, WhiteD50).L;
    }
    return side;
}

void BM_QualityFiguresOfOneSide(benchmark::State& state) {
    const Side side = RenderSide();
    const quality::PixelDecoder decode = quality::SrgbDecoder();
    std::string error;
    for (auto _ : state) {
        quality::ToneFigures tone;
        quality::NoiseFigures noise;
        quality::SamplingRateFigures sampling;
        quality::UniformityFigures uniformity;
        bool ok = quality::MeasureToneResponse(side.chart, side.slots, side.referenceL, decode, {}, &tone, &error);
        ok = ok && quality::MeasurePatchNoise(side.chart, side.slots, decode, &noise, &error);
        ok = ok && quality::MeasureSamplingRate(side.slots, {}, &sampling, &error);
        const ChartSharpnessResult sharpness = MeasureChartSharpness(side.chart, side.slots);
        ok = ok && quality::MeasureUniformity(side.blank, decode, {}, &uniformity, &error);
        if (!ok) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(sharpness);
        benchmark::DoNotOptimize(uniformity);
    }
}
BENCHMARK(BM_QualityFiguresOfOneSide)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return calvix::bench::RunBenchmarks(argc, argv); }
