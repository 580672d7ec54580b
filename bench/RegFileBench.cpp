// Registration file: append rate (every line handed to the system at once)
// and the reader's parse-and-select rate over a 1,000,000-line file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "storage/C_RegFile.h"
#include "storage/RegFileReader.h"
#include "tests/storage/SampleRegistration.h"

namespace {

class ScratchDir {
public:
    ScratchDir() {
        char pattern[] = "/tmp/vantix-bench-XXXXXX";
        if (!::mkdtemp(pattern)) std::abort();
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

void BM_RegFileAppend(benchmark::State& state) {
    ScratchDir dir;
    vantix::C_RegFile file(dir.Path());
    const FTDI::MessageRegistration r = vantix::test::SampleRegistration();
    for (auto _ : state)
        if (!file.WriteRegistration(r)) state.SkipWithError(file.LastError().c_str());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RegFileAppend);

void BM_ReadAndSelect(benchmark::State& state) {
    constexpr int kLines = 1'000'000;
    ScratchDir dir;
    const std::string path = dir.Path() + "/Vantix-201602.vtxreg";
    {
        std::ofstream out(path, std::ios::binary);
        out << "MediaID,DateTime,Date,Time,ID,Code,Serial\r\n";
        char line[128];
        for (int i = 0; i < kLines; ++i) {
            const int day = 1 + i % 28, hour = i / 28 % 24, minute = i / 672 % 60;
            std::snprintf(line, sizeof line, "%08X,2016-02-%02d %02d:%02d:00,2016-02-%02d,%02d:%02d:00,%d,%d,FT%04d\r\n",
                          i, day, hour, minute, day, hour, minute, i % 256, (i * 7) % 256, i % 10000);
            out << line;
        }
    }
    const vantix::TimeWindow window{"2016-02-10 00:00:00", "2016-02-20 23:59:59"};
    int64_t selected = 0;
    for (auto _ : state) {
        vantix::RegFileReader reader;
        if (!reader.Open(path)) state.SkipWithError("open failed");
        std::string_view line;
        vantix::RegistrationFields fields;
        selected = 0;
        while (reader.NextLine(line))
            if (vantix::ParseRegistrationLine(line, fields) && window.Contains(fields.dateTime)) ++selected;
        benchmark::DoNotOptimize(selected);
    }
    state.SetItemsProcessed(state.iterations() * (kLines + 1));
    state.counters["selected"] = static_cast<double>(selected);
}
BENCHMARK(BM_ReadAndSelect)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
