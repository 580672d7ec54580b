// Cost of the panes' row caps and of one notifier paint. A long run adds a
// log or registration row to a full pane each time; that must stay cheap and
// flat (no growth with the number of rows ever added).
#include <benchmark/benchmark.h>

#include "ftdi/Messages.h"
#include "views/CTaskbarNotifier.h"
#include "views/CV_Device.h"
#include "views/CV_Log2.h"
#include "views/CV_Registrations.h"
#include "views/Resources.h"

using namespace vantix;

static void BM_LogLineIntoFullLog(benchmark::State& state) {
    CV_Log2 log;
    for (int i = 0; i < CV_Log2::kMaxRows; ++i)
        log.AddLog(QStringLiteral("warm-up"), LogInformation);
    for (auto _ : state)
        log.AddLog(QStringLiteral("Unable to connect to database."), LogError);
    state.counters["rows"] = log.RowCount();
}
BENCHMARK(BM_LogLineIntoFullLog);

static void BM_RegistrationIntoFullPane(benchmark::State& state) {
    CV_Registrations pane;
    FTDI::MessageRegistration r;
    r.serialNumber = "FTX4K2QA";
    r.mediaId = "12345678";
    r.dateTime = "2026-12-06 10:00:00";
    r.idText = "12";
    r.ecText = "3";
    for (int i = 0; i <= CV_Registrations::kRowsBeforeAdd; ++i)
        pane.AddRegistration(r);
    for (auto _ : state)
        pane.AddRegistration(r);
    state.counters["rows"] = pane.RowCount();
}
BENCHMARK(BM_RegistrationIntoFullPane);

static void BM_DeviceArrivalAndDeparture(benchmark::State& state) {
    CV_Device pane;
    FTDI::DevData device;
    for (int i = 0; i < state.range(0); ++i)
        pane.AddDevice("FT" + std::to_string(1000 + i), device);
    for (auto _ : state) {
        pane.AddDevice("FT1500X", device);
        pane.RemoveDevice("FT1500X");
    }
}
BENCHMARK(BM_DeviceArrivalAndDeparture)->Arg(4)->Arg(64);

static void BM_NotifierPaint(benchmark::State& state) {
    CTaskbarNotifier notifier;
    notifier.SetSkin(ResNotifierSkin, 255, 0, 255);
    notifier.SetTextFont("Tahoma", 85, 1, 1);
    notifier.SetTextRect(QRect(QPoint(48, 16), QPoint(156, 56)));
    notifier.SetScreenAreasSource([] { return ScreenAreas{QRect(0, 0, 1024, 738), QRect(0, 0, 1024, 768)}; });
    notifier.Show("Device FTX4K2QA (DOOR) connected.", 100, 60000, 100);
    for (auto _ : state)
        benchmark::DoNotOptimize(notifier.grab());
}
BENCHMARK(BM_NotifierPaint);
