// One duplex scan through the real TWAIN path: the program's acquisition module over the source
// manager twain_32.so and the Q71 data source, dlopen'ed from the build's system folder, against
// the emulator served in this process. Timed from opening the source (capabilities read and set,
// ENABLEDS, the sheet fed and both faces transferred) to the front image converted and saved as a
// BMP file; the goal is 600 ms. Rendering the two faces in the emulator is most of it (see
// emulator_scan_bench for its share).
#include "EmulatorServer.h"
#include "WireClient.h"

#include "BenchMain.h"
#include "analysis/BmpWriter.h"
#include "app/Clock.h"
#include "platform/DlDynamicLibrary.h"
#include "platform/HeadlessMessagePump.h"
#include "scanner/Twain.h"
#include "scanner/TwainDib.h"
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using namespace calvix;

const std::string kReference = CALVIX_BENCH_REFERENCE;

void BM_DuplexScanThroughTwain(benchmark::State& state) {
    device::DeviceState device;
    emulator::Scenario scenario;
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
    ::setenv("Q71_ADDRESS", address.c_str(), 1);

    emulator::WireClient control;
    const bool ready = control.Connect(address, &error) && control.Greet(wire::kRoleControl, 5000);
    HeadlessMessagePump pump(SystemClock());
    Twain twain(std::make_unique<DlDynamicLibrary>(), CALVIX_BENCH_SYSTEM_DIR, SystemClock(), &pump);
    void* window = &twain;
    const std::string output = "/tmp/calvix_twain_bench_front.bmp";
    for (auto _ : state) {
        if (!ready || !twain.TwainLoadManager()) {
            state.SkipWithError("emulator or TWAIN manager not reachable");
            break;
        }
        state.PauseTiming();
        control.Send(wire::FrameType::Feed, "chart-on=front,it8=" + kReference);
        control.Next(5000);
        state.ResumeTiming();

        DibHandle image = twain.TwainGetImage(window, 1);
        DibConversion front = ConvertDib(image.Data(), image.Size());
        image.Release();
        if (front.status != DibStatus::Ok || !SaveBmpFile(front.bitmap, output, error)) {
            state.SkipWithError("no front image");
            break;
        }
    }
    twain.TwainUnloadManager();
    std::remove(output.c_str());
    [[maybe_unused]] const ssize_t ignored = ::write(stop[1], "x", 1);
    serving.join();
    ::close(stop[0]);
    ::close(stop[1]);
}
BENCHMARK(BM_DuplexScanThroughTwain)->Iterations(4)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    mallopt(M_ARENA_MAX, 1);
    return calvix::bench::RunBenchmarks(argc, argv);
}
