// Import rate into a local PostgreSQL server in one transaction, beside a
// bare psql running the same statements in one transaction, as a ratio.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "storage/RegistrationImport.h"
#include "tests/support/PgServer.h"

namespace {

constexpr int kStatements = 5000;

void BM_ImportVersusPsql(benchmark::State& state) {
    vantix::test::PgServer server;
    char pattern[] = "/tmp/vantix-bench-XXXXXX";
    if (!::mkdtemp(pattern)) std::abort();
    const std::filesystem::path dir = pattern;
    const std::string file = (dir / "Vantix-201602.vtxreg").string();
    const std::string sql = (dir / "same.sql").string();
    {
        std::ofstream reg(file, std::ios::binary);
        std::ofstream script(sql, std::ios::binary);
        reg << "MediaID,DateTime,Date,Time,ID,Code,Serial\r\n";
        script << "BEGIN;\n";
        char line[128];
        for (int i = 0; i < kStatements; ++i) {
            std::snprintf(line, sizeof line, "%08X,2016-02-22 14:07:00,2016-02-22,14:07:00,%d,%d,FT0001\r\n", i,
                          i % 256, (i * 7) % 256);
            reg << line;
            vantix::RegistrationFields fields;
            vantix::ParseRegistrationLine(std::string_view(line, std::strlen(line) - 2), fields);
            script << vantix::ImportRegistrationCall(fields, vantix::CallSyntax::Call) << ";\n";
        }
        script << "COMMIT;\n";
    }
    const vantix::ImportRequest request{file, {"2016-02-01 00:00:00", "2016-02-29 23:59:59"}, server.ConnectionString(),
                                        vantix::CallSyntax::Call};
    const std::string psql = server.PsqlCommand() + " -f " + sql + " >/dev/null";
    double importSeconds = 0, psqlSeconds = 0;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        server.Clear();
        auto start = Clock::now();
        vantix::RegistrationImport import(nullptr, nullptr);
        const vantix::ImportResult result = import.Run(request);
        importSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        if (result.imported != kStatements) state.SkipWithError(result.errorText.c_str());

        server.Clear();
        start = Clock::now();
        if (std::system(psql.c_str()) != 0) state.SkipWithError("psql failed");
        psqlSeconds += std::chrono::duration<double>(Clock::now() - start).count();
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["import_stmts_per_s"] = kStatements * runs / importSeconds;
    state.counters["psql_stmts_per_s"] = kStatements * runs / psqlSeconds;
    state.counters["import_to_psql_ratio"] = psqlSeconds / importSeconds;
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}
BENCHMARK(BM_ImportVersusPsql)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
