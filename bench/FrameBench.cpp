// The main frame's own costs. Start-up and exit: creating the frame starts
// the device link and deleting it must stop it at once (woken, not after a
// poll period). A registration with the database off: the file line and the
// pane row, both on the user-interface thread while cards keep coming.
#include <QApplication>
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <unistd.h>

#include "app/Profile.h"
#include "frame/C_VantixFrame.h"
#include "frame/DeviceLinkEvent.h"
#include "platform/d2xx/SimulatedD2xx.h"
#include "platform/input/recording/RecordingKeyboardOutput.h"
#include "tests/frame/SampleRegistration.h"

using namespace vantix;

namespace {

// A scratch program directory with its own Vantix.ini for the whole run.
class ProgramDirectory {
public:
    ProgramDirectory() : path_(std::filesystem::temp_directory_path() / ("vantix-frame-bench-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path_);
        Profile::SetAppPath((path_ / "Vantix.ini").string());
    }
    ~ProgramDirectory() { std::filesystem::remove_all(path_); }
    std::string Path() const { return path_.string() + "/"; }

private:
    std::filesystem::path path_;
};

std::unique_ptr<C_VantixFrame> MakeFrame(const ProgramDirectory& dir, bool withReader) {
    auto sim = std::make_unique<FTDI::SimulatedD2xx>();
    if (withReader)
        sim->Plug("FT01", "TR-614 Door");
    FrameOptions options;
    options.d2xx = std::move(sim);
    options.keyboard = std::make_unique<FTDI::RecordingKeyboardOutput>();
    options.programDirectory = dir.Path();
    options.trayHostAvailable = [] { return true; };
    options.quit = [] {};
    return std::make_unique<C_VantixFrame>(std::move(options));
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
