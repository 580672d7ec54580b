// Device link figures: card-to-registration and card-to-first-key latency,
// the cost of one reader pass, and the engine's idle CPU use.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <random>
#include <thread>

#include "ftdi/FTDIHelper.h"
#include "platform/d2xx/SimulatedD2xx.h"
#include "platform/input/recording/RecordingKeyboardOutput.h"

using namespace FTDI;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Notes when each registration arrives.
class TimingConsumer : public FTDIHelper<TimingConsumer> {
public:
    using FTDIHelper::FTDIHelper;
    ~TimingConsumer() override { Stop(); }

    void PostToConsumer(unsigned message, std::uintptr_t, std::intptr_t) {
        if (message != MsgRegistration)
            return;
        {
            std::lock_guard lock(mutex_);
            lastRegistration_ = Clock::now();
            ++registrations_;
        }
        arrived_.notify_all();
    }
    bool DeviceCheckEnabled() { return false; }
    int AskDeviceType(const std::string&) { return -1; }

    Clock::time_point WaitForRegistration(int count) {
        std::unique_lock lock(mutex_);
        arrived_.wait(lock, [&] { return registrations_ >= count; });
        return lastRegistration_;
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    int registrations_ = 0;
    Clock::time_point lastRegistration_;
};

SimulatedD2xx::UserAreaBytes ProximityArea(int keyboard, int database) {
    const UserArea ua("BENCH", 1, 2, 7, 0, keyboard, database, -1, -1, -1, KeyId, KeyNotUsed, KeyNotUsed,
                      KeyNotUsed, 0, KeyNewLine, KeyNotUsed, KeyNotUsed, KeyNotUsed, 0, DeviceTypeProximity);
    SimulatedD2xx::UserAreaBytes out;
    std::copy(std::begin(ua.bytes), std::end(ua.bytes), out.begin());
    return out;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Cards presented at random moments of the 300 ms poll cycle.
void CardLatency(benchmark::State& state) {
    const int reads = 40;
    for (auto _ : state) {
        SimulatedD2xx sim;
        OutputSettings settings;
        settings.beepPause = static_cast<int>(state.range(0));
        settings.intercharacterDelay = 1;
        RecordingKeyboardOutput keys;
        TimingConsumer engine(sim, settings, keys);
        const bool keyboard = state.range(1) != 0;
        sim.Plug("L1", "TR-614", ProximityArea(keyboard ? 1 : 0, 1));
        engine.Start();
        while (engine.DeviceCount() == 0)
            std::this_thread::sleep_for(5ms);
        std::mt19937 random(7);
        std::vector<double> toRegistration, toKey;
        for (int i = 0; i < reads; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(random() % 300));
            const std::size_t keysBefore = keys.Actions().size();
            const Clock::time_point presented = Clock::now();
            sim.PresentCard("L1", "F400000249541F01");
            const Clock::time_point registered = engine.WaitForRegistration(i + 1);
            toRegistration.push_back(Ms(registered - presented));
            if (keyboard)
                toKey.push_back(Ms(keys.Actions()[keysBefore].when - presented));
        }
        engine.Stop();
        state.counters["registration_median_ms"] = Median(toRegistration);
        state.counters["registration_max_ms"] = *std::max_element(toRegistration.begin(), toRegistration.end());
        if (keyboard) {
            state.counters["first_key_median_ms"] = Median(toKey);
            state.counters["first_key_max_ms"] = *std::max_element(toKey.begin(), toKey.end());
        }
    }
}
// The typed line (11 characters, 1 ms apart) comes before the registration.
BENCHMARK(CardLatency)
    ->Args({0, 1})
    ->Args({0, 0})
    ->Args({100, 1})
    ->ArgNames({"beepPause", "keyboard"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void ReaderPassOver32IdleReaders(benchmark::State& state) {
    SimulatedD2xx sim;
    OutputSettings settings;
    RecordingKeyboardOutput keys;
    TimingConsumer engine(sim, settings, keys);
    for (int i = 0; i < 32; ++i)
        sim.Plug("I" + std::to_string(100 + i), "TR-614", ProximityArea(1, 1));
    engine.MonitorPass();
    for (auto _ : state)
        engine.ReadAll();
    state.counters["devices"] = static_cast<double>(engine.DeviceCount());
}
BENCHMARK(ReaderPassOver32IdleReaders)->Unit(benchmark::kMillisecond)->UseRealTime();

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void IdleCpuWithFourReaders(benchmark::State& state) {
    for (auto _ : state) {
        SimulatedD2xx sim;
        OutputSettings settings;
        RecordingKeyboardOutput keys;
        TimingConsumer engine(sim, settings, keys);
        for (int i = 0; i < 4; ++i)
            sim.Plug("Q" + std::to_string(i), "TR-614", ProximityArea(1, 1));
        engine.Start();
        while (engine.DeviceCount() < 4)
            std::this_thread::sleep_for(5ms);
        const double cpuBefore = CpuSeconds();
        const Clock::time_point start = Clock::now();
        std::this_thread::sleep_for(10s);
        const double cpu = CpuSeconds() - cpuBefore;
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        engine.Stop();
        state.counters["cpu_percent_of_one_core"] = 100.0 * cpu / wall;
    }
}
BENCHMARK(IdleCpuWithFourReaders)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
