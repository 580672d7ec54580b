// Typing into a real X window (a private Xvfb): keys per second of a
// 30-character line at delay 0, from the first key until the window has read
// the Enter, and the heap the typing path keeps per typed line.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <chrono>
#include <string>

#include "ftdi/TextSender.h"
#include "platform/input/x11/X11KeyboardOutput.h"
#include "tests/support/KeyWindow.h"
#include "tests/support/XServer.h"

using namespace FTDI;
using namespace std::chrono_literals;

namespace {

// Name, ID, EC and the sixteen-digit identifier: what a typical line holds.
const std::string Line = "Desk01 2A 5C F400000249541F01\n";
static_assert(sizeof "Desk01 2A 5C F400000249541F01\n" - 1 == 30);
// The same length with 8-bit name characters the us layout lacks.
const std::string Latin1Line = "D\xE9sk\xFC 2A 5C F400000249541F01\n";

// A private X server, a window with the focus, and the typing path into it.
struct TypingSetup {
    TypingSetup() { settings.intercharacterDelay = 0; }
    // Types the line (as the reader does, asking for the focused window
    // first, or only the keys); false when the window did not get all of it.
    bool Type(const std::string& line, bool askFocus = false) {
        if (askFocus)
            sender.TypeText(line);
        else
            sender.SendText(line);
        return window.ReadLines(1, 10s).size() == line.size();
    }

    vantix::test::XServer server;
    vantix::test::KeyWindow window{server.Display()};
    OutputSettings settings;
    X11KeyboardOutput keyboard{server.Display()};
    TextSender sender{keyboard, settings};
};

void TypeLines(benchmark::State& state, const std::string& line) {
    TypingSetup typing;
    for (auto _ : state) {
        if (!typing.Type(line)) {
            state.SkipWithError("the window did not get the whole line");
            break;
        }
    }
    state.counters["keys/s"] = benchmark::Counter(static_cast<double>(state.iterations() * line.size()),
                                                  benchmark::Counter::kIsRate);
}

void KeysPerSecond(benchmark::State& state) { TypeLines(state, Line); }
BENCHMARK(KeysPerSecond)->Unit(benchmark::kMillisecond)->UseRealTime();

void KeysPerSecondLatin1(benchmark::State& state) { TypeLines(state, Latin1Line); }
BENCHMARK(KeysPerSecondLatin1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

// Heap in use after 1000 more typed lines, per line: zero when nothing piles up.
void HeapPerTypedLine(benchmark::State& state) {
    TypingSetup typing;
    const auto typeLines = [&](int count) {
        for (int i = 0; i < count; ++i)
            typing.Type(Line, true);
    };
    for (auto _ : state) {
        typeLines(100); // warm up: connection, key map, caches
        const std::size_t before = mallinfo2().uordblks;
        typeLines(1000);
        const std::size_t after = mallinfo2().uordblks;
        state.counters["heap bytes/line"] = (static_cast<double>(after) - static_cast<double>(before)) / 1000.0;
    }
}
BENCHMARK(HeapPerTypedLine)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
