// The whole offline analysis of a duplex pair of full-page scans, files included: load both
// BMPs, check both charts, evaluate both grey wedges, write helper images, tables and record.
// Goal: under 250 ms median.
#include "AnalysisPipeline.h"
#include "ChartRenderer.h"
#include "analysis/BmpWriter.h"

#include "BenchMain.h"
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

// The rendered pair and the run's outputs live in a temporary folder for the process's life.
class ScanPair {
public:
    ScanPair() {
        std::string pattern = (std::filesystem::temp_directory_path() / "calvix-analyze-bench-XXXXXX").string();
        const char* made = mkdtemp(pattern.data());
        folder_ = made != nullptr ? made : "";
        for (int side = 0; side < 2 && !folder_.empty(); ++side) {
            calvix::RenderOptions options;  // 2331 x 3307, the A5 page at 400 dpi
            for (calvix::ChannelResponse& channel : options.tone.channel) {
                channel = side == 0 ? calvix::ChannelResponse{0.92, 12.0 / 1023.0, 1.1}
                                    : calvix::ChannelResponse{1.04, 4.0 / 1023.0, 0.9};
            }
            options.noiseSigma = 2.0;
            options.seed = 5u + static_cast<std::uint32_t>(side);
            const calvix::RenderedChart chart = calvix::RenderChart(calvix::SyntheticChartColours(), options);
            std::string error;
            calvix::SaveBmpFile(chart.image, Scan(side), error);
        }
    }
    ~ScanPair() {
        std::error_code ec;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
    }
    ScanPair(const ScanPair&) = delete;
    ScanPair& operator=(const ScanPair&) = delete;

    bool Ready() const { return !folder_.empty(); }
    std::string Scan(int side) const { return folder_ + (side == 0 ? "/front.bmp" : "/rear.bmp"); }
    std::string Output() const { return folder_ + "/out"; }

private:
    std::string folder_;
};

const ScanPair& Pair() {
    static const ScanPair pair;
    return pair;
}

void BM_AnalyzeDuplexPair(benchmark::State& state) {
    if (!Pair().Ready()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    calvix::analyze::AnalyzeOptions options;
    options.frontScan = Pair().Scan(0);
    options.rearScan = Pair().Scan(1);
    options.outputFolder = Pair().Output();
    options.serial = "BENCH";
    for (auto _ : state) {
        const calvix::analyze::AnalysisReport report = calvix::analyze::RunAnalysis(options);
        if (report.ExitStatus() != 0) {
            state.SkipWithError("analysis failed");
            break;
        }
        benchmark::DoNotOptimize(report.lutPath.data());
    }
}
BENCHMARK(BM_AnalyzeDuplexPair)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) { return calvix::bench::RunBenchmarks(argc, argv); }
