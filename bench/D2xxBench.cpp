#include <benchmark/benchmark.h>

#include "ftdi/UserArea.h"
#include "platform/d2xx/sim/SimClient.h"
#include "platform/d2xx/sim/SimControlServer.h"
#include "platform/d2xx/sim/SimulatedD2xx.h"

#include <unistd.h>

using namespace FTDI;

// Every arriving reader is decoded once; an edit encodes once.
static void BM_UserAreaDecodeEncode(benchmark::State& state) {
    UserArea area("ABC", 0x12, 0x34, 5, 2, 1, 1, -1, -1, -1, 8, 7, 9, 11, 5, 6, 10, 12, 0, 10, 0);
    for (auto _ : state) {
        area.Decode(DeviceTypeTwoTracks);
        area.Encode(DeviceTypeTwoTracks);
        benchmark::DoNotOptimize(area.bytes);
    }
}
BENCHMARK(BM_UserAreaDecodeEncode);

// One control command over the socket: what a test script or vantixctl pays.
static void BM_SimControlRoundTrip(benchmark::State& state) {
    SimulatedD2xx sim;
    sim.Plug("B1", "TR-614");
    SimControlServer server(sim);
    const std::string path = "/tmp/vantix-bench-" + std::to_string(getpid()) + ".sock";
    if (const vantix::Result<void> started = server.Start(path); !started) {
        state.SkipWithError(started.error().c_str());
        return;
    }
    for (auto _ : state) {
        if (const vantix::Result<std::string> reply = SimRequest(path, "card B1 00000249541F01"); !reply)
            state.SkipWithError(reply.error().c_str());
        // Keep the queue from growing without bound.
        sim.Unplug("B1");
        sim.Plug("B1", "TR-614");
    }
}
BENCHMARK(BM_SimControlRoundTrip);
BENCHMARK_MAIN();
