// Device link figures: card-to-registration and card-to-first-key latency,
// reads lost on a line that delivers in pieces, the cost of one reader pass,
// and the engine's idle CPU use.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <iterator>
#include <random>
#include <thread>

#include "ftdi/FTDIHelper.h"
#include "platform/d2xx/sim/SimulatedD2xx.h"
#include "platform/input/recording/RecordingKeyboardOutput.h"

using namespace FTDI;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Notes when each registration arrives, and its media ID.
class TimingConsumer : public FTDIHelper<TimingConsumer> {
public:
    using FTDIHelper::FTDIHelper;
    ~TimingConsumer() override { Stop(); }

    void PostToConsumer(unsigned message, std::uintptr_t, std::intptr_t slot) {
        if (message != MsgRegistration)
            return;
        {
            std::lock_guard lock(mutex_);
            lastRegistration_ = Clock::now();
            ++registrations_;
            mediaIds_.push_back(Copy<MessageRegistration>(slot).mediaId);
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

    std::vector<std::string> MediaIds() {
        std::lock_guard lock(mutex_);
        return mediaIds_;
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    int registrations_ = 0;
    Clock::time_point lastRegistration_;
    std::vector<std::string> mediaIds_;
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

void Report(benchmark::State& state, const std::string& name, const std::vector<double>& values) {
    state.counters[name + "_median_ms"] = Median(values);
    state.counters[name + "_max_ms"] = *std::max_element(values.begin(), values.end());
}

// Cards presented at random moments of the 300 ms poll cycle on a 9600 baud
// line; times from the moment the frame's last byte is across the line (and
// from the moment the card was presented).
void CardLatency(benchmark::State& state) {
    const int reads = 100;
    for (auto _ : state) {
        SimulatedD2xx sim;
        OutputSettings settings;
        settings.beepPause = static_cast<int>(state.range(0));
        settings.intercharacterDelay = 1;
        RecordingKeyboardOutput keys;
        TimingConsumer engine(sim, settings, keys);
        const bool keyboard = state.range(1) != 0;
        sim.Plug("L1", "TR-614", ProximityArea(keyboard ? 1 : 0, 1)); // beep 7: one beep
        engine.Start();
        while (engine.DeviceCount() == 0)
            std::this_thread::sleep_for(5ms);
        std::mt19937 random(7);
        std::vector<double> toRegistration, toKey, presentedToKey, presentedToRegistration;
        for (int i = 0; i < reads; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(random() % 300));
            const std::size_t keysBefore = keys.Actions().size();
            const Clock::time_point presented = Clock::now();
            sim.PresentCard("L1", "F400000249541F01");
            const Clock::time_point complete = sim.LineIdleAt("L1");
            const Clock::time_point registered = engine.WaitForRegistration(i + 1);
            toRegistration.push_back(Ms(registered - complete));
            presentedToRegistration.push_back(Ms(registered - presented));
            if (keyboard) {
                toKey.push_back(Ms(keys.Actions()[keysBefore].when - complete));
                presentedToKey.push_back(Ms(keys.Actions()[keysBefore].when - presented));
            }
        }
        engine.Stop();
        Report(state, "registration", toRegistration);
        Report(state, "presented_registration", presentedToRegistration);
        if (keyboard) {
            Report(state, "first_key", toKey);
            Report(state, "presented_first_key", presentedToKey);
        }
    }
}
// The typed line (11 characters, 1 ms apart) comes before the registration.
BENCHMARK(CardLatency)
    ->Args({0, 1})
    ->Args({0, 0})
    ->ArgNames({"beepPause", "keyboard"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// 10,000 cards at random moments on lines of random speed and latency, with
// reader passes at random moments: every piece boundary the line can make.
void LostReadsOnARandomLine(benchmark::State& state) {
    const int cards = 10000;
    for (auto _ : state) {
        std::atomic<Clock::time_point> now{Clock::now()};
        const auto clock = [&now] { return now.load(); };
        SimulatedD2xx sim(clock);
        OutputSettings settings;
        settings.beepPause = 0;
        settings.intercharacterDelay = 0;
        RecordingKeyboardOutput keys;
        EngineTimings timings;
        timings.callPause = 0ms;
        timings.clock = clock;
        TimingConsumer engine(sim, settings, keys, timings);
        sim.Plug("R1", "TR-614", ProximityArea(0, 1));
        engine.MonitorPass();
        std::mt19937 random(2024);
        const auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
        const int bauds[] = {2400, 4800, 9600, 19200, 38400, 115200};
        std::vector<std::string> presented;
        for (int i = 0; i < cards; ++i) {
            if (i % 100 == 0)
                sim.SetLine("R1", bauds[between(0, 5)], between(1, 16));
            char identifier[15];
            std::snprintf(identifier, sizeof identifier, "%08X%04X01", static_cast<unsigned>(random()),
                          static_cast<unsigned>(between(0, 0xFFFF)));
            sim.PresentCard("R1", identifier);
            presented.push_back(MediaIdOf(*SimulatedD2xx::CompleteIdentifier(identifier)));
            // Passes at random moments until it is read, then a random pause.
            while (sim.Waiting("R1") > 0) {
                now = now.load() + std::chrono::microseconds(between(0, 30000));
                engine.ReadAll();
            }
            now = now.load() + std::chrono::milliseconds(between(0, 200));
        }
        std::vector<std::string> registered = engine.MediaIds();
        state.counters["in_order"] = registered == presented;
        std::sort(registered.begin(), registered.end());
        std::sort(presented.begin(), presented.end());
        std::vector<std::string> lost, extra;
        std::set_difference(presented.begin(), presented.end(), registered.begin(), registered.end(),
                            std::back_inserter(lost));
        std::set_difference(registered.begin(), registered.end(), presented.begin(), presented.end(),
                            std::back_inserter(extra));
        state.counters["cards"] = cards;
        state.counters["lost_reads"] = static_cast<double>(lost.size());
        state.counters["extra_reads"] = static_cast<double>(extra.size());
    }
}
BENCHMARK(LostReadsOnARandomLine)->Iterations(1)->Unit(benchmark::kMillisecond);

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

void IdleCpuWithEightReaders(benchmark::State& state) {
    for (auto _ : state) {
        SimulatedD2xx sim;
        OutputSettings settings;
        RecordingKeyboardOutput keys;
        TimingConsumer engine(sim, settings, keys);
        for (int i = 0; i < 8; ++i)
            sim.Plug("Q" + std::to_string(i), "TR-614", ProximityArea(1, 1));
        engine.Start();
        while (engine.DeviceCount() < 8)
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
BENCHMARK(IdleCpuWithEightReaders)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
