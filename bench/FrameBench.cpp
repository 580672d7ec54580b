// The main frame's own costs. Start-up and exit: creating the frame starts
// the device link and deleting it must stop it at once (woken, not after a
// poll period). A registration with the database off: the file line and the
// pane row, both on the user-interface thread while cards keep coming. A card
// to its file line with the database in use, undisturbed and while the
// database hangs on a locked table: the two must stay within a few
// milliseconds of each other.
#include <QApplication>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <unistd.h>

#include "settings/Configuration.h"
#include "frame/C_VantixFrame.h"
#include "frame/DeviceLinkEvent.h"
#include "platform/d2xx/sim/SimulatedD2xx.h"
#include "platform/input/recording/RecordingKeyboardOutput.h"
#include "tests/storage/SampleRegistration.h"
#ifdef VANTIX_BENCH_WITH_DATABASE
#include "frame/CFTDIConsumer.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PgServer.h"
#endif

using namespace vantix;

namespace {

// A scratch program directory with its own Vantix.ini for the whole run.
class ProgramDirectory {
public:
    ProgramDirectory() : path_(std::filesystem::temp_directory_path() / ("vantix-frame-bench-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path_);
    }
    ~ProgramDirectory() { std::filesystem::remove_all(path_); }
    std::string Path() const { return path_.string() + "/"; }
    Configuration& Config() { return config_; }

private:
    std::filesystem::path path_;
    Configuration config_{(path_ / "Vantix.ini").string()};
};

FrameOptions Options(const ProgramDirectory& dir, std::unique_ptr<FTDI::SimulatedD2xx> sim) {
    FrameOptions options;
    options.d2xx = std::move(sim);
    options.keyboard = std::make_unique<FTDI::RecordingKeyboardOutput>();
    options.programDirectory = dir.Path();
    options.trayHostAvailable = [] { return true; };
    options.quit = [] {};
    return options;
}

std::unique_ptr<C_VantixFrame> MakeFrame(ProgramDirectory& dir, bool withReader) {
    auto sim = std::make_unique<FTDI::SimulatedD2xx>();
    if (withReader)
        sim->Plug("FT01", "TR-614 Door");
    return std::make_unique<C_VantixFrame>(dir.Config(), Options(dir, std::move(sim)));
}

} // namespace

static void BM_FrameStartAndExit(benchmark::State& state) {
    ProgramDirectory dir;
    for (auto _ : state)
        MakeFrame(dir, state.range(0) != 0).reset();
}
BENCHMARK(BM_FrameStartAndExit)->Arg(0)->Arg(1)->ArgName("reader")->Unit(benchmark::kMillisecond);

static void BM_RegistrationWithTheDatabaseOff(benchmark::State& state) {
    ProgramDirectory dir;
    auto frame = MakeFrame(dir, false);
    const FTDI::MessageRegistration r = vantix::test::SampleRegistration();
    for (auto _ : state) {
        DeviceLinkEvent event(FTDI::MsgRegistration, 0, r);
        QCoreApplication::sendEvent(frame.get(), &event);
    }
}
BENCHMARK(BM_RegistrationWithTheDatabaseOff)->Unit(benchmark::kMicrosecond);

#ifdef VANTIX_BENCH_WITH_DATABASE
static void BM_CardToFileLine(benchmark::State& state) {
    const bool hanging = state.range(0) != 0;
    vantix::test::PgServer server;
    ProgramDirectory dir;
    {
        std::ofstream ini(dir.Path() + "Vantix.ini", std::ios::binary);
        ini << "[Settings]\r\nPassword=1\r\nBeepPause=0\r\nUseMRDB=1\r\nCallSyntax=call\r\nConnStr="
            << server.ConnectionString() << "\r\n";
    }
    auto sim = std::make_unique<FTDI::SimulatedD2xx>();
    FTDI::SimulatedD2xx& reader = *sim;
    // Stores, does not type, one beep.
    const FTDI::UserArea area("BENCH", 1, 2, 7, 0, 0, 1, -1, -1, -1, 0, 1, 2, 3, 0x0F, 11, 12, 12, 12, 0x0E,
                              FTDI::DeviceTypeProximity);
    FTDI::SimulatedD2xx::UserAreaBytes bytes;
    std::copy(std::begin(area.bytes), std::end(area.bytes), bytes.begin());
    reader.Plug("FT01", "TR-614 Door", bytes);
    FrameOptions options = Options(dir, std::move(sim));
    options.timings.readerPeriod = std::chrono::milliseconds(2);
    options.timings.callPause = std::chrono::milliseconds(0);
    auto frame = std::make_unique<C_VantixFrame>(dir.Config(), std::move(options));
    const std::string file = frame->Pipeline().File().FileName();
    const auto fileSize = [&] {
        std::error_code ignored;
        return std::filesystem::file_size(file, ignored);
    };
    const auto until = [](const std::function<bool()>& done) {
        for (const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
             !done() && std::chrono::steady_clock::now() < end;)
            QCoreApplication::processEvents();
        return done();
    };
    if (!until([&] { return frame->Consumer().DeviceCount() == 1; })) {
        state.SkipWithError("the reader was not found");
        return;
    }
    pid_t lock = -1;
    if (hanging) {
        lock = std::stoi(vantix::test::RunCommand(
            "sh -c " + vantix::test::ShellQuote(server.HoldLockCommand(60) + " >/dev/null 2>&1 & echo $!")));
        if (!until([&] { return server.Locked(); })) state.SkipWithError("the table was not locked");
    }
    int card = 0;
    for (auto _ : state) {
        const auto before = fileSize();
        char id[16];
        std::snprintf(id, sizeof id, "0000%08X01", card++);
        reader.PresentCard("FT01", id);
        if (!until([&] { return fileSize() != before; })) state.SkipWithError("no file line");
    }
    state.counters["database_calls_waiting"] = static_cast<double>(frame->Pipeline().Database().Outstanding());
    if (hanging) {
        server.ReleaseLock();
        ::kill(lock, SIGTERM);
    }
    frame.reset();
}
// Fewer cards than the statement timeout lasts: the database hangs all along.
BENCHMARK(BM_CardToFileLine)->Arg(0)->Arg(1)->ArgName("hanging")->Iterations(100)->Unit(benchmark::kMillisecond);
#endif
