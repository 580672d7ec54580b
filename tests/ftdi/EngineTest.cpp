#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <stdexcept>

#include "ftdi/KeyboardLine.h"

#include "platform/d2xx/sim/SimulatedD2xx.h"
#include "platform/input/recording/RecordingKeyboardOutput.h"
#include "tests/ftdi/RecordingConsumer.h"
#include "tests/support/Wait.h"

using namespace FTDI;
using namespace std::chrono_literals;
using vantix::test::AreaBytes;
using vantix::test::FastTimings;
using vantix::test::Posted;
using vantix::test::RecordingConsumer;

namespace {

// A proximity reader typing "<ID><media ID>" and storing registrations.
SimulatedD2xx::UserAreaBytes ProximityArea(int keyboard, int database, int beep = 7) {
    return AreaBytes(UserArea("DOOR", 0x2A, 0x05, beep, 0, keyboard, database, -1, -1, -1, KeyId, KeyNotUsed,
                          KeyNotUsed, KeyNotUsed, 0, KeyNotUsed, KeyNotUsed, KeyNotUsed, KeyNotUsed, 0,
                          DeviceTypeProximity));
}

// A track 1 reader typing each record (start sentinel left out) and Enter.
SimulatedD2xx::UserAreaBytes Track1Area() {
    return AreaBytes(UserArea("", 0, 0, 7, -1, 1, 0, -1, 1, -1, KeyNotUsed, KeyNotUsed, KeyNotUsed, KeyNotUsed, 0,
                              KeyNewLine, KeyNotUsed, KeyNotUsed, KeyNotUsed, 0, DeviceTypeTrack1));
}

SimulatedD2xx::Bytes Raw(const std::string& s) { return SimulatedD2xx::Bytes(s.begin(), s.end()); }

constexpr std::size_t BeepBytes = 3;
constexpr auto Instant = SimulatedD2xx::Delivery::Instant;
using TimePoint = std::chrono::steady_clock::time_point;
using Strings = std::vector<std::string>;

// No pauses between beeps or characters; the device link's traces kept.
struct Quick : ::testing::Test {
    Quick() {
        settings.beepPause = settings.intercharacterDelay = 0;
        vantix::SetTraceHook([this](const std::string& text) {
            std::lock_guard lock(mutex);
            traces.push_back(text);
        });
    }
    ~Quick() override { vantix::SetTraceHook({}); }
    std::size_t Traced(const std::string& text) {
        std::lock_guard lock(mutex);
        return static_cast<std::size_t>(std::count(traces.begin(), traces.end(), text));
    }
    std::mutex mutex;
    std::vector<std::string> traces;
    OutputSettings settings;
    RecordingKeyboardOutput keys;
};

// Reader passes run by the test, on a clock the test moves: the line
// delivers what it would have delivered by then.
struct Engine : Quick {
    FTDI::EngineTimings Timings() {
        FTDI::EngineTimings t = FastTimings();
        t.clock = [this] { return now.load(); };
        return t;
    }
    void Advance(std::chrono::nanoseconds by) { now = now.load() + by; }
    // "serial/wParam" of each message of that number.
    Strings Events(unsigned number) const {
        Strings out;
        for (const Posted& p : engine.Messages(number))
            out.push_back(p.serial + "/" + std::to_string(p.wParam));
        return out;
    }

    std::atomic<TimePoint> now{std::chrono::steady_clock::now()};
    SimulatedD2xx sim{[this] { return now.load(); }};
    RecordingConsumer engine{sim, settings, keys, Timings()};
};

} // namespace

TEST_F(Engine, GoodFramesOfAReadAreBeepedTypedAndRegisteredInOrderAndNoiseIsDropped) {
    sim.Plug("P1", "TR-614 proximity", ProximityArea(1, 1, 6));
    engine.MonitorPass();
    EXPECT_EQ(sim.LineOf("P1").second, int(ReaderLatencyMs)) << "set when the reader is opened";
    // At each registration: beeps and line of that frame done, none of the next.
    std::vector<std::pair<std::size_t, std::size_t>> seen;
    engine.onPost = [&](const Posted& p) {
        if (p.number == MsgRegistration)
            seen.emplace_back(sim.Written("P1").size(), keys.Lines().size());
    };
    sim.Inject("P1", Raw("\x7F\xFFok"), Instant); // stray bytes, a bad CRC and an all-zero frame
    ASSERT_TRUE(sim.PresentCard("P1", "F400000249541F01", Instant));
    sim.Inject("P1", Raw(SimulatedD2xx::ProximityFrame("F500000249541F01")), Instant);
    ASSERT_TRUE(sim.PresentCard("P1", "0000ABCDEF1201", Instant));
    sim.PresentCard("P1", "0000000000000000", Instant);
    engine.ReadAll();

    const auto regs = engine.Messages(MsgRegistration);
    ASSERT_EQ(regs.size(), 2u);
    EXPECT_EQ(std::get<MessageRegistration>(regs[1].message).mediaId, "ABCDEF12");
    const auto& first = std::get<MessageRegistration>(regs[0].message);
    EXPECT_EQ(first.mediaId, "0249541F");
    EXPECT_EQ(first.serialNumber, "P1");
    EXPECT_EQ(first.id, 0x2A);
    EXPECT_EQ(first.idText + "/" + first.ecText, "42/5");
    EXPECT_EQ(first.time.substr(6), "00");
    EXPECT_EQ(first.dateTime, first.date + " " + first.time);
    EXPECT_EQ(keys.Lines(), (std::vector<std::u32string>{U"2A0249541F", U"2A" "ABCDEF12"}));
    EXPECT_EQ(seen, (std::vector<std::pair<std::size_t, std::size_t>>{{2 * BeepBytes, 1}, {4 * BeepBytes, 2}}));
    EXPECT_TRUE(Traced("Dropped 26 bytes that belong to no card read\n"));
}

TEST_F(Engine, APieceOfAFrameWaitsForTheRestUntilTheLineFallsSilent) {
    sim.Plug("P2", "TR-617", ProximityArea(1, 1));
    engine.MonitorPass();
    const std::string frame = SimulatedD2xx::ProximityFrame("F400000249541F01");
    // The rest arrives while the reader is busy for longer than the limit:
    // still one frame.
    sim.Inject("P2", Raw(frame.substr(0, 10)), Instant);
    engine.ReadAll();
    EXPECT_TRUE(engine.Messages(MsgRegistration).empty());
    Advance(300ms);
    sim.Inject("P2", Raw(frame.substr(10)), Instant);
    engine.ReadAll();
    EXPECT_EQ(engine.Messages(MsgRegistration).size(), 1u);

    // Nothing more comes: given up after 100 ms, with the buffer traces.
    sim.Inject("P2", Raw(frame.substr(0, 10)), Instant);
    engine.ReadAll();
    Advance(60ms);
    engine.ReadAll();
    EXPECT_FALSE(Traced("****BROJ BAJTOVA U BAFERU JE 10\n"));
    Advance(60ms);
    engine.ReadAll();
    EXPECT_TRUE(Traced("****BROJ BAJTOVA U BAFERU JE 10\n"));
    EXPECT_TRUE(Traced("!!!!Ispraznio bafer, kod: 0 \n"));
    sim.PresentCard("P2", "F400000249541F01", Instant);
    engine.ReadAll();
    EXPECT_EQ(engine.Messages(MsgRegistration).size(), 2u);
    EXPECT_EQ(keys.Lines().size(), 2u);
    EXPECT_EQ(sim.Written("P2").size(), 2 * BeepBytes);
}

TEST_F(Engine, AFailedReadSkipsTheDeviceForOnePassAndLosesNothing) {
    // Beep code 7 is one beep, 0 is eight; A stores no registrations.
    sim.Plug("A", "TR-614", ProximityArea(0, 0, 7));
    sim.Plug("B", "TR-614", ProximityArea(0, 1, 0));
    engine.MonitorPass();
    sim.PresentCard("A", "F400000249541F01", Instant);
    sim.PresentCard("B", "F400000249541F01", Instant);
    sim.FailNext("FT_Read");
    engine.ReadAll();
    EXPECT_TRUE(Traced("Ne mogu da iscitam podatke iz buffera uredaja\n"));
    EXPECT_EQ(sim.Waiting("A"), 21u);
    EXPECT_EQ(sim.Written("B").size(), 8 * BeepBytes);
    EXPECT_EQ(engine.Messages(MsgRegistration).size(), 1u);
    engine.ReadAll();
    EXPECT_EQ(sim.Written("A"), Raw(std::string("\x01\x2A\x31")));
    EXPECT_EQ(engine.Messages(MsgRegistration).size(), 1u);
    EXPECT_EQ(engine.DeviceCount(), 2u);
}

TEST_F(Engine, EveryRecordOfAReadIsTypedOnceAfterOneBeep) {
    sim.Plug("M1", "TR-613-1", Track1Area());
    engine.MonitorPass();
    // The last record's rest comes in the next pass: the records wait for it.
    sim.Inject("M1", Raw("\x01%B1234^DOE\x03\x01%B5678^ROE\x03\x01%B9^Z"), Instant);
    engine.ReadAll();
    EXPECT_TRUE(keys.Lines().empty());
    sim.Inject("M1", Raw("OE\x03"), Instant);
    engine.ReadAll();
    EXPECT_EQ(keys.Lines(), (std::vector<std::u32string>{U"B1234^DOE\n", U"B5678^ROE\n", U"B9^ZOE\n"}));
    EXPECT_EQ(sim.Written("M1").size(), BeepBytes);
    // A read without a record types nothing and does not beep.
    sim.Inject("M1", Raw("no start byte\x03"), Instant);
    engine.ReadAll();
    EXPECT_EQ(keys.Lines().size(), 3u);
    EXPECT_EQ(sim.Written("M1").size(), BeepBytes);
    EXPECT_TRUE(engine.Messages(MsgRegistration).empty());
}

TEST_F(Engine, ABurstOverTheReadLimitIsReadWholeInLaterPasses) {
    sim.Plug("BIG", "TR-614", ProximityArea(0, 1));
    sim.Plug("M2", "TR-613-1", Track1Area());
    engine.MonitorPass();
    for (int i = 0; i < 60; ++i)
        sim.PresentCard("BIG", "F400000249541F01", Instant);
    engine.ReadAll();
    EXPECT_EQ(engine.Messages(MsgRegistration).size(), 47u); // 999 bytes read: 47 frames and a piece
    EXPECT_EQ(sim.Waiting("BIG"), 60 * 21 - 999u);
    engine.ReadAll();
    EXPECT_EQ(engine.Messages(MsgRegistration).size(), 60u);

    // One record longer than a read, and many records past the read limit.
    std::string burst = "\x01%" + std::string(1500, 'L') + "\x03";
    std::vector<std::u32string> expected{std::u32string(1500, U'L') + U"\n"};
    for (int i = 0; i < 100; ++i) {
        const std::string data = "B" + std::to_string(1000 + i) + std::string(30, '0');
        burst += "\x01%" + data + "\x03";
        expected.push_back(std::u32string(data.begin(), data.end()) + U"\n");
    }
    sim.Inject("M2", Raw(burst), Instant);
    for (int pass = 0; pass < 3 && sim.Waiting("M2") > 0; ++pass)
        engine.ReadAll();
    EXPECT_EQ(keys.Lines(), expected);
}

// Found at start or found again after an error repair: no popup (wParam 0);
// plugged in or gone while running: a popup (wParam 1), once.
TEST_F(Engine, ReadersComeAndGoAcrossACommunicationError) {
    for (const char* s : {"R1", "R2", "R3"})
        sim.Plug(s, "TR-614", ProximityArea(0, 1));
    engine.MonitorPass();
    EXPECT_EQ(Events(MsgDeviceAdded), (Strings{"R1/0", "R2/0", "R3/0"}));
    sim.Unplug("R2");
    sim.PresentCard("R3", "F400000249541F01", Instant);
    engine.ReadAll(); // communication error: all removed silently
    EXPECT_EQ(sim.Waiting("R3"), 21u) << "not read after the failure";
    EXPECT_EQ(Events(MsgDeviceRemoved), (Strings{"R1/0", "R2/0", "R3/0"}));
    EXPECT_EQ(sim.OpenHandles(), 0);
    EXPECT_EQ(engine.DeviceCount(), 0u);

    engine.Clear();
    engine.MonitorPass();
    EXPECT_EQ(Events(MsgDeviceAdded), (Strings{"R1/0", "R3/0"}));
    EXPECT_EQ(Events(MsgDeviceRemoved), (Strings{"R2/1"}));
    EXPECT_EQ(std::get<MessageDeviceRemoved>(engine.Messages(MsgDeviceRemoved).at(0).message).device.userArea.Name(),
              "DOOR");
    engine.ReadAll(); // R3's card is still waiting and is read now
    EXPECT_EQ(engine.Messages(MsgRegistration).size(), 1u);

    engine.Clear();
    sim.Plug("B2", "TR-614", ProximityArea(0, 1));
    engine.MonitorPass();
    EXPECT_EQ(Events(MsgDeviceAdded), (Strings{"B2/1"}));
    EXPECT_EQ(Events(MsgDeviceRemoved), Strings{}) << "R2 was reported once";

    // The last readers gone: reported even with an empty list.
    for (const char* s : {"R1", "R3", "B2"})
        sim.Unplug(s);
    engine.ReadAll();
    engine.Clear();
    engine.MonitorPass();
    EXPECT_EQ(Events(MsgDeviceRemoved), (Strings{"B2/1", "R1/1", "R3/1"}));
    EXPECT_EQ(sim.OpenHandles(), 0);
}

TEST_F(Engine, KnownDevicesAreNotAddedAgainAndFaultsAreReportedOnceLeakingNothing) {
    sim.Plug("", "TR-614");
    sim.Plug("NODESC", "");
    sim.Plug("K1", "TR-614", ProximityArea(0, 0));
    sim.FailNext("FT_Open");
    engine.MonitorPass();
    sim.FailNext("FT_EE_UARead");
    engine.MonitorPass();
    EXPECT_EQ(engine.DeviceCount(), 0u);
    EXPECT_EQ(sim.OpenHandles(), 0);
    engine.MonitorPass();
    engine.MonitorPass();
    EXPECT_EQ(Events(MsgDeviceAdded), (Strings{"K1/0"}));
    const auto added = engine.Messages(MsgDeviceAdded);
    const auto& device = std::get<MessageDeviceAdded>(added.at(0).message).device;
    EXPECT_EQ(device.description + "/" + device.userArea.Name() + "/" + std::to_string(device.deviceType),
              "TR-614/DOOR/0");
    EXPECT_EQ(engine.GetDevData("K1").userArea.id, 0x2A);
    // Each entry without strings once while it stays listed, the failed calls once.
    const auto faults = engine.Faults();
    ASSERT_EQ(faults.size(), 3u);
    EXPECT_EQ(faults[0].kind, DeviceFault::Kind::NoAccess);
    EXPECT_EQ(faults[1].kind, DeviceFault::Kind::NoAccess);
    EXPECT_EQ(faults[2].call, "FT_Open");
}

TEST_F(Engine, UnknownDevicesAreIgnoredOrAskedAboutOncePerArrival) {
    sim.Plug("UNK-OFF", "Some bridge");
    engine.MonitorPass();
    engine.deviceCheck = true; // too late: refused for the run
    engine.MonitorPass();
    sim.Plug("UNK-NO", "Other bridge");
    engine.answer = -1;
    engine.MonitorPass();
    engine.MonitorPass();
    EXPECT_EQ(engine.Questions(), (Strings{"UNK-NO (Other bridge)"}));

    // Answered with a type: not asked again while it stays plugged in, nor
    // when an error repair finds it again.
    sim.Plug("UNK-YES", "Third bridge", Track1Area());
    engine.answer = DeviceTypeTrack1;
    engine.MonitorPass();
    engine.MonitorPass();
    sim.FailNext("FT_GetQueueStatus");
    engine.ReadAll();
    ASSERT_EQ(engine.DeviceCount(), 0u);
    engine.MonitorPass();
    EXPECT_EQ(Events(MsgDeviceAdded), (Strings{"UNK-YES/1", "UNK-YES/0"}));
    EXPECT_EQ(std::get<MessageDeviceAdded>(engine.Messages(MsgDeviceAdded).at(1).message).device.deviceType,
              DeviceTypeTrack1);
    EXPECT_EQ(engine.Questions().size(), 2u);

    // Unplugged and plugged in again: a new arrival, asked again.
    sim.Unplug("UNK-YES");
    engine.ReadAll();
    engine.MonitorPass();
    sim.Plug("UNK-YES", "Third bridge");
    engine.MonitorPass();
    EXPECT_EQ(engine.Questions(), (Strings{"UNK-NO (Other bridge)", "UNK-YES (Third bridge)", "UNK-YES (Third bridge)"}));
}

TEST_F(Engine, MoreThan256ListedDevicesAreClampedToTheList) {
    for (int i = 0; i < 300; ++i)
        sim.Plug("C" + std::to_string(1000 + i), "TR-614", ProximityArea(0, 0));
    engine.MonitorPass();
    EXPECT_EQ(engine.DeviceCount(), 256u);
}

TEST_F(Engine, WriteUserAreaReplacesTheRecordOrRefusesAndBuzzBeeps) {
    sim.Plug("W1", "TR-614", ProximityArea(0, 0));
    engine.MonitorPass();
    const UserArea edited("GATE", 0x11, 0x22, 3, 1, 1, 1, -1, -1, -1, 1, 2, 3, 4, 0, 5, 6, 7, 8, 0,
                          DeviceTypeProximity);
    sim.FailNext("FT_EE_UAWrite");
    EXPECT_THROW(engine.WriteUserArea("W1", edited), Exception);
    EXPECT_TRUE(engine.Messages(MsgDeviceChanged).empty());
    EXPECT_STREQ(engine.GetDevData("W1").userArea.name, "DOOR");

    engine.WriteUserArea("W1", edited);
    const auto changed = engine.Messages(MsgDeviceChanged);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_STREQ(std::get<MessageDeviceChanged>(changed[0].message).device.userArea.name, "GATE");
    EXPECT_EQ(*sim.UserAreaOf("W1"), AreaBytes(edited));
    EXPECT_EQ(engine.GetDevData("W1").userArea.id, 0x11);
    EXPECT_THROW(engine.WriteUserArea("GONE", edited), Exception);

    // Buzz: three beeps a hundred milliseconds apart.
    const auto start = std::chrono::steady_clock::now();
    engine.Buzz("W1");
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
    EXPECT_EQ(sim.Written("W1").size(), 3 * BeepBytes);
    EXPECT_THROW(engine.Buzz(""), Exception);
}

TEST_F(Engine, StoppingNeverThrowsAndClosesEveryHandle) {
    sim.Plug("X1", "TR-614", ProximityArea(0, 0));
    sim.Plug("X2", "TR-614", ProximityArea(0, 0));
    engine.MonitorPass();
    engine.onPost = [](const Posted& p) {
        if (p.number == MsgDeviceRemoved)
            throw std::runtime_error("consumer gone");
    };
    engine.Stop(); // noexcept: a throw would end the test program
    EXPECT_EQ(sim.OpenHandles(), 0);
    EXPECT_EQ(engine.DeviceCount(), 0u);
    EXPECT_EQ(Traced("The removal of X1 was not reported: consumer gone\n"), 1u);
}

// The engine's own threads on the real clock.
struct EngineThreads : Quick {
    SimulatedD2xx sim;
};

// The real waits: 300 ms between reader passes, 5000 ms between monitor passes.
TEST_F(EngineThreads, CardsAndNewReadersWakeTheSleepingReaderAndShutdownIsPromptAndComplete) {
    RecordingConsumer engine(sim, settings, keys);
    sim.Plug("W1", "TR-614", ProximityArea(1, 1));
    sim.PresentCard("W1", "F400000249541F01");
    // Without readers the reader idles 2000 ms; the one added wakes it.
    const auto start = std::chrono::steady_clock::now();
    engine.Start();
    ASSERT_TRUE(engine.WaitFor(MsgRegistration, 1, 5s));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    const std::string idle = "Nema primljenih podataka\n";
    for (std::size_t card = 2; card <= 5; ++card) {
        // Right after a pass that found nothing the reader sleeps 300 ms.
        const std::size_t passes = Traced(idle);
        ASSERT_TRUE(vantix::test::WaitFor([&] { return Traced(idle) != passes; }, 5s));
        const auto presented = std::chrono::steady_clock::now();
        ASSERT_TRUE(sim.PresentCard("W1", "F400000249541F01"));
        ASSERT_TRUE(engine.WaitFor(MsgRegistration, card, 5s));
        const auto handled = std::chrono::steady_clock::now();
        EXPECT_GE(handled, sim.LineIdleAt("W1")) << "not before the line delivered it";
        EXPECT_EQ(keys.Lines().size(), card) << "typed before it is registered";
        EXPECT_LT(handled - presented, 200ms) << "card " << card << " waited for the next pass";
    }
    const auto stopping = std::chrono::steady_clock::now();
    engine.Stop(); // wakes the sleeping monitor
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 500ms);
    const auto removed = engine.Messages(MsgDeviceRemoved);
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].wParam, 1u);
    EXPECT_EQ(sim.OpenHandles(), 0);
    EXPECT_EQ(sim.CallCount("FT_Reload"), 1);
    EXPECT_EQ(sim.CallCount("FT_Rescan"), 1);
}

TEST(CircularBuffer, NumbersSlotsRoundTheRingAndRefusesBadGets) {
    CircularBuffer<MessageRegistration, 1024> ring;
    EXPECT_THROW(ring.Copy(0), Exception) << "empty";
    MessageRegistration m;
    for (std::size_t i = 0; i <= 1024; ++i) {
        m.mediaId = std::to_string(i);
        ASSERT_EQ(ring.Put(m), i % 1024);
    }
    EXPECT_THROW(ring.Copy(1024), Exception);
    EXPECT_EQ(ring.Copy(0).mediaId, "1024");
    EXPECT_EQ(ring.Copy(1023).mediaId, "1023");
}
