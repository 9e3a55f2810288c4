// Benchmarks of the emulated Q71's scan: one duplex scan from the scan request to the last image
// byte read by a local client over loopback (goal: well under 400 ms), and its parts: rendering a
// chart face (plain and through every optical stage), rendering a blank face, and turning a face
// into its ImageHeader/ImageData frames.
#include "EmulatorServer.h"
#include "ScanImaging.h"
#include "WireClient.h"

#include "BenchMain.h"
#include <benchmark/benchmark.h>

#include <cstdio>
#include <malloc.h>
#include <string>
#include <thread>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace calvix;

const std::string kReference = CALVIX_BENCH_REFERENCE;

device::Face ChartFace() {
    device::Sheet sheet;
    std::string error;
    if (!device::ParseSheet("chart-on=front,it8=" + kReference + ",rotate=0.3,shift-x=12", &sheet, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::abort();
    }
    return sheet.front;
}

// Argument: the noise sigma (0, the emulator's default, or 2 raw units).
device::FaceRender Render(const ToneResponse& response, double noise) {
    device::FaceRender render;
    render.response = &response;
    render.noiseSigma = noise;
    return render;
}

void BM_RenderChartFace(benchmark::State& state) {
    const device::Face face = ChartFace();
    const ToneResponse response = device::DefaultResponse(device::Side::Front);
    for (auto _ : state) benchmark::DoNotOptimize(device::RenderFace(face, Render(response, state.range(0))));
}
BENCHMARK(BM_RenderChartFace)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every optical stage on (blur sigma 1.5, crosstalk, fall-off, misregistration; goal <= 60 ms).
void BM_RenderChartFaceThroughOptics(benchmark::State& state) {
    const device::Face face = ChartFace();
    const ToneResponse response = device::DefaultResponse(device::Side::Front);
    device::FaceRender render = Render(response, 0);
    render.optics.blurSigma.fill(1.5);
    render.optics.crosstalk = {0.85, 0.1, 0.05, 0.05, 0.9, 0.05, 0.02, 0.08, 0.9};
    render.optics.falloffPercent = 5;
    render.optics.misregister = {0.5, -0.25, -0.5, 0.25};
    for (auto _ : state) benchmark::DoNotOptimize(device::RenderFace(face, render));
}
BENCHMARK(BM_RenderChartFaceThroughOptics)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RenderBlankFace(benchmark::State& state) {
    const ToneResponse response = device::DefaultResponse(device::Side::Rear);
    for (auto _ : state) benchmark::DoNotOptimize(device::RenderFace(device::Face{}, Render(response, state.range(0))));
}
BENCHMARK(BM_RenderBlankFace)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImageFramesOfOneFace(benchmark::State& state) {
    const ToneResponse response = device::DefaultResponse(device::Side::Front);
    const ScanBitmap image = device::RenderFace(ChartFace(), Render(response, 0));
    for (auto _ : state) {
        std::string frames;
        device::AppendImageFrames(image, 0, wire::ImageDisposition::Deliver, 24, 400, &frames);
        benchmark::DoNotOptimize(frames.data());
    }
}
BENCHMARK(BM_ImageFramesOfOneFace)->Unit(benchmark::kMillisecond)->UseRealTime();

// CPU seconds of the whole process, both threads: on a busy machine wall time says more about
// the neighbours than about the scan.
double ProcessCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The whole emulator in a thread of this process, a scan client and the operator's hand over
// loopback: the way the data source meets the device.
void BM_DuplexScanOverLoopback(benchmark::State& state) {
    device::DeviceState device;
    emulator::Scenario scenario;
    scenario.noiseSigma = static_cast<double>(state.range(0));
    emulator::EmulatorServer server(device, scenario, "", nullptr);
    std::string error;
    if (!server.Listen(emulator::ListenAddress{"127.0.0.1", 0}, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    int stop[2];
    if (::pipe(stop) != 0) return;
    std::thread serving([&] { server.Run(stop[0]); });
    const std::string address = "127.0.0.1:" + std::to_string(server.Port());

    emulator::WireClient scan;
    emulator::WireClient control;
    const bool ready = scan.Connect(address, &error) && scan.Greet(wire::kRoleScan, 5000) &&
                       control.Connect(address, &error) && control.Greet(wire::kRoleControl, 5000) &&
                       scan.SendRaw(wire::EncodeCapRequest({twain::CAP_DUPLEXENABLED, twain::MSG_SET, twain::TWTY_BOOL,
                                                            std::string("\x01\x00", 2)})) &&
                       scan.Next(5000).has_value();
    std::uint64_t bytes = 0;
    double cpu = 0.0;
    for (auto _ : state) {
        if (!ready) {
            state.SkipWithError("emulator not reachable");
            break;
        }
        state.PauseTiming();
        control.Send(wire::FrameType::Feed, "chart-on=front,it8=" + kReference);
        control.Next(5000);
        state.ResumeTiming();

        const double cpuBefore = ProcessCpuSeconds();
        scan.Send(wire::FrameType::ScanRequest, "");
        int faces = 0;
        for (auto frame = scan.Next(5000); frame; frame = scan.Next(5000)) {
            bytes += frame->payload.size();
            if (frame->type == wire::FrameType::ImageHeader) ++faces;
            if (frame->type == wire::FrameType::ScanDone) break;
        }
        cpu += ProcessCpuSeconds() - cpuBefore;
        if (faces != 2) state.SkipWithError("the scan did not deliver two faces");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["cpu_ms"] = benchmark::Counter(cpu * 1000.0, benchmark::Counter::kAvgIterations);
    [[maybe_unused]] const ssize_t ignored = ::write(stop[1], "x", 1);
    serving.join();
    ::close(stop[0]);
    ::close(stop[1]);
}
BENCHMARK(BM_DuplexScanOverLoopback)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    // One arena for both threads, as the single-threaded emulator process has, so the large
    // buffers are reused as they are there.
    mallopt(M_ARENA_MAX, 1);
    return calvix::bench::RunBenchmarks(argc, argv);
}
