// Benchmark of the chart check of one scanned side at full size (2331 x 3307, 400 dpi A5):
// helper image, frame search, geometry, markers, raster, grey-wedge sampling and both writes of
// the helper file. Goal: under 80 ms median.
#include "ChartRenderer.h"
#include "analysis/BmpWriter.h"
#include "analysis/ChartCheck.h"
#include "analysis/Drawing.h"
#include "analysis/HelperImage.h"
#include "analysis/ImageHost.h"
#include "app/Clock.h"
#include "app/Desktop.h"
#include "app/FormStatus.h"
#include "app/Strings.h"
#include "platform/HeadlessDesktop.h"
#include "platform/HeadlessImageHost.h"

#include "BenchMain.h"
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using namespace calvix;

std::string BenchFolder() {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "calvix_chart_bench";
    std::filesystem::create_directories(folder);
    return folder.string();
}

void BM_CheckIt8ScanOneSide(benchmark::State& state) {
    LogWriter.SetEcho(false);
    HeadlessImageHost host;
    HeadlessDesktop desktop;
    TAppStrings strings(10000);
    MainFormControls controls;
    const std::string folder = BenchFolder();
    const std::int32_t gwTolerance = 20;
    const std::int32_t blackThreshold = 25;
    ImageWindows windows(ImageServices{host, SystemClock()});
    ChartAnalysis analysis(ChartContext{windows, host, desktop, strings, controls, folder, gwTolerance, blackThreshold});

    RenderOptions options;  // the full page, noise as a real sensor has it
    options.noiseSigma = 3.0;
    const ChartColours colours = SyntheticChartColours();

    for (auto _ : state) {
        state.PauseTiming();
        // The render goes straight into the scan window: during the check only the scan, the
        // helper window's picture and the BMP encoding of the helper file are full size.
        TChildImage& scan = windows.Create();
        scan.isFront = true;
        scan.image = RenderChart(colours, options).image;
        state.ResumeTiming();

        const int code = analysis.CheckIt8Scan(&scan, true);
        benchmark::DoNotOptimize(code);

        state.PauseTiming();
        if (code != 0) state.SkipWithError("chart check failed on a clean render");
        if (TChildImage* helper = windows.HelperWindow()) windows.Close(*helper);
        windows.Close(scan);
        state.ResumeTiming();
    }
    std::filesystem::remove_all(folder);
}

BENCHMARK(BM_CheckIt8ScanOneSide)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The stages on their own, to see where the time of the whole check goes.
const ScanBitmap& FullSizeScan() {
    static const ScanBitmap scan = [] {
        RenderOptions options;
        options.noiseSigma = 3.0;
        return RenderChart(SyntheticChartColours(), options).image;
    }();
    return scan;
}

void BM_HelperImage(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(MakeHelperImage(FullSizeScan(), DefaultBlackThreshold));
}
BENCHMARK(BM_HelperImage)->Unit(benchmark::kMillisecond);

void BM_FrameSearch(benchmark::State& state) {
    const ScanBitmap helper = MakeHelperImage(FullSizeScan(), DefaultBlackThreshold);
    for (auto _ : state) {
        state.PauseTiming();
        ScanBitmap marked = helper;
        state.ResumeTiming();
        ChartFrame frame;
        benchmark::DoNotOptimize(frame.BuildFrame(marked));
    }
}
BENCHMARK(BM_FrameSearch)->Unit(benchmark::kMillisecond);

void BM_RasterLines(benchmark::State& state) {
    ScanBitmap scan = FullSizeScan();
    const std::array<Point, 5> slots{NotFound, Point{2165, 100}, Point{165, 100}, Point{163, 1450}, Point{2167, 1450}};
    const RasterGeometry geometry = RasterGeometry::FromCorners(slots);
    Pen pen;
    pen.colour = MakeColour(255, 0, 0);
    pen.width = 5;
    for (auto _ : state) {
        for (const RasterLine& line : RasterLines(slots, geometry)) DrawLine(scan, line.from, line.to, pen);
    }
}
BENCHMARK(BM_RasterLines)->Unit(benchmark::kMillisecond);

void BM_SaveHelperFile(benchmark::State& state) {
    const std::string path = BenchFolder() + "/Help_front.bmp";
    std::string error;
    for (auto _ : state) benchmark::DoNotOptimize(SaveBmpFile(FullSizeScan(), path, error));
    std::filesystem::remove_all(BenchFolder());
}
BENCHMARK(BM_SaveHelperFile)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return calvix::bench::RunBenchmarks(argc, argv); }
