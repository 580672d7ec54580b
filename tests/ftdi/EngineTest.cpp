#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "platform/d2xx/SimulatedD2xx.h"
#include "platform/input/recording/RecordingKeyboardOutput.h"
#include "tests/ftdi/RecordingConsumer.h"

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

SimulatedD2xx::UserAreaBytes Track1Area() {
    return AreaBytes(UserArea("", 0, 0, 7, -1, 1, 0, -1, 1, -1, KeyNotUsed, KeyNotUsed, KeyNotUsed, KeyNotUsed, 0,
                          KeyNewLine, KeyNotUsed, KeyNotUsed, KeyNotUsed, 0, DeviceTypeTrack1));
}

SimulatedD2xx::Bytes Raw(const std::string& s) { return SimulatedD2xx::Bytes(s.begin(), s.end()); }

constexpr std::size_t BeepBytes = 3;

struct Engine : ::testing::Test {
    Engine() {
        settings.beepPause = 0;
        settings.intercharacterDelay = 0;
        SetTraceHook([this](const std::string& text) {
            std::lock_guard lock(traceMutex);
            traces.push_back(text);
        });
    }
    ~Engine() override { SetTraceHook({}); }

    bool Traced(const std::string& text) {
        std::lock_guard lock(traceMutex);
        return std::find(traces.begin(), traces.end(), text) != traces.end();
    }

    SimulatedD2xx sim;
    OutputSettings settings;
    RecordingKeyboardOutput keys;
    RecordingConsumer engine{sim, settings, keys, FastTimings()};
    std::mutex traceMutex;
    std::vector<std::string> traces;
};

} // namespace

TEST_F(Engine, TwoFramesOfOneReadAreBeepedTypedAndRegisteredInFrameOrder) {
    sim.Plug("P1", "TR-614 proximity", ProximityArea(1, 1, 6));
    engine.MonitorPass();
    ASSERT_EQ(engine.Messages(MsgDeviceAdded).size(), 1u);
    // At each registration: beeps and line of that frame done, none of the next.
    std::vector<std::pair<std::size_t, std::size_t>> seen;
    engine.onPost = [&](const Posted& p) {
        if (p.number == MsgRegistration)
            seen.emplace_back(sim.Written("P1").size(), keys.Lines().size());
    };
    ASSERT_TRUE(sim.PresentCard("P1", "F400000249541F01"));
    ASSERT_TRUE(sim.PresentCard("P1", "0000ABCDEF1201"));
    ASSERT_EQ(sim.Waiting("P1"), 42u);
    engine.ReadAll();

    const auto regs = engine.Messages(MsgRegistration);
    ASSERT_EQ(regs.size(), 2u);
    const auto& first = std::get<MessageRegistration>(regs[0].message);
    EXPECT_EQ(first.mediaId, "0249541F");
    EXPECT_EQ(first.serialNumber, "P1");
    EXPECT_EQ(first.id, 0x2A);
    EXPECT_EQ(first.idText, "42");
    EXPECT_EQ(first.ecText, "5");
    EXPECT_EQ(first.time.substr(6), "00");
    EXPECT_EQ(first.dateTime, first.date + " " + first.time);
    EXPECT_EQ(std::get<MessageRegistration>(regs[1].message).mediaId, "ABCDEF12");
    EXPECT_EQ(keys.Lines(), (std::vector<std::u32string>{U"2A0249541F", U"2A" "ABCDEF12"}));
    EXPECT_EQ(seen, (std::vector<std::pair<std::size_t, std::size_t>>{{2 * BeepBytes, 1}, {4 * BeepBytes, 2}}));
}

TEST_F(Engine, BytesThatAreNotWholeFramesAreDiscarded) {
    sim.Plug("P2", "TR-617", ProximityArea(1, 1));
    engine.MonitorPass();
    for (std::size_t count : {20u, 22u}) {
        const std::string frame = SimulatedD2xx::ProximityFrame("F400000249541F01");
        std::string bytes = frame + frame;
        ASSERT_TRUE(sim.Inject("P2", Raw(bytes.substr(0, count))));
        engine.ReadAll();
        EXPECT_EQ(sim.Waiting("P2"), 0u);
        EXPECT_TRUE(Traced("****BROJ BAJTOVA U BAFERU JE " + std::to_string(count) + "\n"));
    }
    EXPECT_TRUE(Traced("!!!!Ispraznio bafer, kod: 0 \n"));
    EXPECT_TRUE(keys.Typed().empty());
    EXPECT_TRUE(engine.Messages(MsgRegistration).empty());
    EXPECT_TRUE(sim.Written("P2").empty());
}

TEST_F(Engine, AFailedDiscardEndsThePassAndAFailedReadSkipsTheDevice) {
    sim.Plug("A", "TR-614", ProximityArea(0, 1));
    sim.Plug("B", "TR-614", ProximityArea(0, 1));
    engine.MonitorPass();
    sim.Inject("A", Raw("12345"));
    sim.PresentCard("B", "F400000249541F01");
    sim.FailNext("FT_Read");
    engine.ReadAll();
    EXPECT_TRUE(Traced("****FT_Read error: 4\n"));
    EXPECT_EQ(sim.Waiting("B"), 21u); // not read in that pass
    engine.ReadAll(); // both read now
    EXPECT_EQ(engine.Messages(MsgRegistration).size(), 1u);
    sim.PresentCard("B", "F400000249541F01");
    sim.FailNext("FT_Read");
    engine.ReadAll();
    EXPECT_TRUE(Traced("Ne mogu da iscitam podatke iz buffera uredaja\n"));
    EXPECT_EQ(engine.Messages(MsgRegistration).size(), 1u);
    EXPECT_EQ(engine.DeviceCount(), 2u);
}

TEST_F(Engine, ABadFrameDropsTheRestOfItsRead) {
    sim.Plug("P3", "TR-614", ProximityArea(1, 1));
    engine.MonitorPass();
    sim.PresentCard("P3", "F500000249541F01"); // wrong CRC byte
    sim.PresentCard("P3", "F400000249541F01");
    engine.ReadAll();
    sim.PresentCard("P3", "0000000000000000");
    engine.ReadAll();
    EXPECT_EQ(sim.Waiting("P3"), 0u);
    EXPECT_TRUE(engine.Messages(MsgRegistration).empty());
    EXPECT_TRUE(keys.Typed().empty());
    EXPECT_TRUE(sim.Written("P3").empty());
}

TEST_F(Engine, BeepCountFollowsTheBeepCode) {
    sim.Plug("B7", "TR-614", ProximityArea(0, 0, 7));
    sim.Plug("B0", "TR-614", ProximityArea(0, 0, 0));
    engine.MonitorPass();
    sim.PresentCard("B7", "F400000249541F01");
    sim.PresentCard("B0", "F400000249541F01");
    engine.ReadAll();
    EXPECT_EQ(sim.Written("B7"), Raw(std::string("\x01\x2A\x31")));
    EXPECT_EQ(sim.Written("B0").size(), 8 * BeepBytes);
    EXPECT_TRUE(engine.Messages(MsgRegistration).empty());
}

TEST_F(Engine, TwoMagneticRecordsInOneReadAreTypedAsTwoLines) {
    sim.Plug("M1", "TR-613-1", Track1Area());
    engine.MonitorPass();
    sim.Inject("M1", Raw("\x01%B1234^DOE\x03\x01%B5678^ROE\x03"));
    engine.ReadAll();
    EXPECT_EQ(keys.Lines(), (std::vector<std::u32string>{U"B1234^DOE\n", U"B5678^ROE\n"}));
    EXPECT_EQ(sim.Written("M1").size(), BeepBytes); // one beep per read
    sim.Inject("M1", Raw("no start byte\x03"));
    engine.ReadAll();
    EXPECT_EQ(keys.Lines().size(), 2u);
    EXPECT_TRUE(engine.Messages(MsgRegistration).empty());
}

TEST_F(Engine, ReadsNeverExceedTheBufferAndKeepTheRestForTheNextPass) {
    sim.Plug("BIG", "TR-614", ProximityArea(0, 1));
    engine.MonitorPass();
    for (int i = 0; i < 50; ++i)
        sim.PresentCard("BIG", "F400000249541F01");
    engine.ReadAll();
    EXPECT_EQ(engine.Messages(MsgRegistration).size(), 47u); // 987 bytes: whole frames below 1000
    EXPECT_EQ(sim.Waiting("BIG"), 63u);
    engine.ReadAll();
    EXPECT_EQ(engine.Messages(MsgRegistration).size(), 50u);

    sim.Inject("BIG", Raw(std::string(2500, 'x'))); // not whole frames: dropped in pieces
    engine.ReadAll();
    EXPECT_EQ(sim.Waiting("BIG"), 0u);
    EXPECT_EQ(engine.DeviceCount(), 1u);
}

TEST_F(Engine, ALongMagneticStreamIsReadInBufferSizedPasses) {
    sim.Plug("M2", "TR-613-1", Track1Area());
    engine.MonitorPass();
    sim.Inject("M2", Raw("\x01%FIRST\x03" + std::string(1500, 'x') + "\x01%LAST\x03"));
    engine.ReadAll();
    EXPECT_EQ(keys.Lines(), (std::vector<std::u32string>{U"FIRST\n"}));
    EXPECT_EQ(sim.Waiting("M2"), 8 + 1500 + 7 - 999u); // the rest waits for the next pass
    engine.ReadAll();
    EXPECT_EQ(keys.Lines(), (std::vector<std::u32string>{U"FIRST\n", U"LAST\n"}));
    EXPECT_EQ(sim.Waiting("M2"), 0u);
}

TEST_F(Engine, ACommunicationErrorRemovesAllAndTheMonitorAddsThePresentOnes) {
    for (const char* s : {"R1", "R2", "R3"})
        sim.Plug(s, "TR-614", ProximityArea(0, 1));
    engine.MonitorPass();
    ASSERT_EQ(engine.Messages(MsgDeviceAdded).size(), 3u);
    sim.Unplug("R2");
    sim.PresentCard("R3", "F400000249541F01");
    engine.ReadAll();
    EXPECT_EQ(sim.Waiting("R3"), 21u); // not read after the failure
    const auto removed = engine.Messages(MsgDeviceRemoved);
    ASSERT_EQ(removed.size(), 3u);
    for (const auto& p : removed)
        EXPECT_EQ(p.wParam, 0u);
    EXPECT_EQ(removed[0].Serial(), "R1");
    EXPECT_EQ(removed[2].Serial(), "R3");
    EXPECT_EQ(sim.OpenHandles(), 0);
    EXPECT_EQ(engine.DeviceCount(), 0u);

    engine.Clear();
    engine.MonitorPass();
    const auto added = engine.Messages(MsgDeviceAdded);
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[0].Serial(), "R1");
    EXPECT_EQ(added[1].Serial(), "R3");
    EXPECT_EQ(added[1].wParam, 0u);
    engine.ReadAll(); // R3's card is still waiting and is read now
    EXPECT_EQ(engine.Messages(MsgRegistration).size(), 1u);
}

TEST_F(Engine, OnlyAReaderPluggedInWhileRunningIsAnnouncedWithAPopup) {
    sim.Plug("A1", "TR-614", ProximityArea(0, 1));
    engine.MonitorPass();
    ASSERT_EQ(engine.Messages(MsgDeviceAdded).size(), 1u);
    EXPECT_EQ(engine.Messages(MsgDeviceAdded)[0].wParam, 0u); // found at start

    engine.Clear();
    sim.Plug("B2", "TR-614", ProximityArea(0, 1));
    engine.MonitorPass();
    const auto added = engine.Messages(MsgDeviceAdded);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].Serial(), "B2");
    EXPECT_EQ(added[0].wParam, 1u);
}

TEST_F(Engine, AReaderGoneAfterAnErrorRepairIsReportedUnpluggedOnce) {
    for (const char* s : {"R1", "R2"})
        sim.Plug(s, "TR-614", ProximityArea(0, 1));
    engine.MonitorPass();
    sim.Unplug("R2");
    engine.ReadAll(); // communication error: both removed silently
    engine.Clear();

    engine.MonitorPass();
    const auto added = engine.Messages(MsgDeviceAdded);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].Serial(), "R1");
    EXPECT_EQ(added[0].wParam, 0u); // still there: no popup
    const auto removed = engine.Messages(MsgDeviceRemoved);
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].Serial(), "R2");
    EXPECT_EQ(removed[0].wParam, 1u);
    EXPECT_EQ(std::get<MessageDeviceRemoved>(removed[0].message).device.userArea.Name(), "DOOR");

    engine.Clear();
    engine.MonitorPass();
    EXPECT_TRUE(engine.Messages(MsgDeviceRemoved).empty());
}

TEST_F(Engine, TheLastReaderUnpluggedIsReportedEvenWithAnEmptyList) {
    sim.Plug("R1", "TR-614", ProximityArea(0, 1));
    engine.MonitorPass();
    sim.Unplug("R1");
    engine.ReadAll();
    engine.Clear();
    engine.MonitorPass();
    const auto removed = engine.Messages(MsgDeviceRemoved);
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].wParam, 1u);
    EXPECT_EQ(sim.OpenHandles(), 0);
}

TEST_F(Engine, KnownDevicesAreNotAddedAgainAndIncompleteEntriesNever) {
    sim.Plug("", "TR-614");
    sim.Plug("NODESC", "");
    sim.Plug("K1", "TR-614", ProximityArea(0, 0));
    engine.MonitorPass();
    engine.MonitorPass();
    const auto added = engine.Messages(MsgDeviceAdded);
    ASSERT_EQ(added.size(), 1u);
    const auto& device = std::get<MessageDeviceAdded>(added[0].message).device;
    EXPECT_EQ(device.description, "TR-614");
    EXPECT_EQ(device.deviceType, DeviceTypeProximity);
    EXPECT_STREQ(device.userArea.name, "DOOR");
    EXPECT_EQ(engine.GetDevData("K1").userArea.id, 0x2A);
}

TEST_F(Engine, UnknownDevicesAreIgnoredOrAskedAboutOnce) {
    sim.Plug("UNK-OFF", "Some bridge");
    engine.MonitorPass();
    engine.deviceCheck = true; // too late: refused for the run
    engine.MonitorPass();
    EXPECT_TRUE(engine.Questions().empty());

    sim.Plug("UNK-NO", "Other bridge");
    engine.answer = -1;
    engine.MonitorPass();
    engine.MonitorPass();
    EXPECT_EQ(engine.Questions(), (std::vector<std::string>{"UNK-NO (Other bridge)"}));

    sim.Plug("UNK-YES", "Third bridge", Track1Area());
    engine.answer = DeviceTypeTrack1;
    engine.MonitorPass();
    const auto added = engine.Messages(MsgDeviceAdded);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(std::get<MessageDeviceAdded>(added[0].message).device.deviceType, DeviceTypeTrack1);
    EXPECT_EQ(engine.Questions().size(), 2u);
}

TEST_F(Engine, MoreThan256ListedDevicesAreClampedToTheList) {
    for (int i = 0; i < 300; ++i)
        sim.Plug("C" + std::to_string(1000 + i), "TR-614", ProximityArea(0, 0));
    engine.MonitorPass();
    EXPECT_EQ(engine.DeviceCount(), 256u);
}

TEST_F(Engine, AFailedOpenOrUserAreaReadIsReportedOnceAndLeaksNothing) {
    sim.Plug("F1", "TR-614", ProximityArea(0, 0));
    sim.FailNext("FT_Open");
    engine.MonitorPass();
    sim.FailNext("FT_EE_UARead");
    engine.MonitorPass();
    EXPECT_EQ(engine.DeviceCount(), 0u);
    EXPECT_EQ(sim.OpenHandles(), 0);
    ASSERT_EQ(engine.Faults().size(), 1u);
    EXPECT_EQ(engine.Faults()[0].call, "FT_Open");
    engine.MonitorPass();
    EXPECT_EQ(engine.DeviceCount(), 1u);
}

TEST_F(Engine, WriteUserAreaReplacesTheRecordOrRefuses) {
    sim.Plug("W1", "TR-614", ProximityArea(0, 0));
    engine.MonitorPass();
    const UserArea edited("GATE", 0x11, 0x22, 3, 1, 1, 1, -1, -1, -1, 1, 2, 3, 4, 0, 5, 6, 7, 8, 0,
                          DeviceTypeProximity);
    sim.FailNext("FT_EE_UAWrite");
    try {
        engine.WriteUserArea("W1", edited);
        FAIL() << "refused write not reported";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Unable to write user area to device W1.");
    }
    EXPECT_TRUE(engine.Messages(MsgDeviceChanged).empty());
    EXPECT_STREQ(engine.GetDevData("W1").userArea.name, "DOOR");

    engine.WriteUserArea("W1", edited);
    const auto changed = engine.Messages(MsgDeviceChanged);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_STREQ(std::get<MessageDeviceChanged>(changed[0].message).device.userArea.name, "GATE");
    EXPECT_EQ(*sim.UserAreaOf("W1"), AreaBytes(edited));
    EXPECT_EQ(engine.GetDevData("W1").userArea.id, 0x11);

    try {
        engine.WriteUserArea("GONE", edited);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Device GONE not found.");
    }
}

TEST_F(Engine, BuzzBeepsThreeTimesAHundredMillisecondsApart) {
    sim.Plug("Z1", "TR-614", ProximityArea(0, 0, 0));
    engine.MonitorPass();
    const auto start = std::chrono::steady_clock::now();
    engine.Buzz("Z1");
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
    EXPECT_EQ(sim.Written("Z1").size(), 3 * BeepBytes);
    EXPECT_THROW(engine.Buzz(""), Exception);
}

TEST_F(Engine, ThreadsFindReadersAndShutdownIsPromptAndClosesEverything) {
    sim.Plug("T1", "TR-614", ProximityArea(1, 1));
    engine.Start();
    ASSERT_TRUE(engine.WaitFor(MsgDeviceAdded, 1, 5s));
    sim.PresentCard("T1", "F400000249541F01");
    ASSERT_TRUE(engine.WaitFor(MsgRegistration, 1, 5s));
    EXPECT_EQ(keys.Lines().size(), 1u);
    engine.Stop();
    const auto removed = engine.Messages(MsgDeviceRemoved);
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].wParam, 1u);
    EXPECT_EQ(sim.OpenHandles(), 0);
    EXPECT_EQ(sim.CallCount("FT_Reload"), 1);
    EXPECT_EQ(sim.CallCount("FT_Rescan"), 1);
}

TEST(EngineShutdown, WakesTheSleepingMonitorAtOnce) {
    SimulatedD2xx sim;
    OutputSettings settings;
    RecordingKeyboardOutput keys;
    RecordingConsumer engine(sim, settings, keys); // the real 5000 ms / 2000 ms waits
    sim.Plug("S1", "TR-614", ProximityArea(0, 0));
    engine.Start();
    ASSERT_TRUE(engine.WaitFor(MsgDeviceAdded, 1, 5s));
    const auto start = std::chrono::steady_clock::now();
    engine.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    EXPECT_EQ(sim.OpenHandles(), 0);
}

TEST(EngineShutdown, AReaderAddedWhileTheReaderIdlesIsPolledAtOnce) {
    SimulatedD2xx sim;
    OutputSettings settings;
    settings.beepPause = 0;
    RecordingKeyboardOutput keys;
    RecordingConsumer engine(sim, settings, keys); // 2000 ms idle wait
    sim.Plug("S2", "TR-614", ProximityArea(0, 1));
    sim.PresentCard("S2", "F400000249541F01");
    const auto start = std::chrono::steady_clock::now();
    engine.Start();
    ASSERT_TRUE(engine.WaitFor(MsgRegistration, 1, 5s));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

TEST(CircularBuffer, NumbersSlotsAndRefusesBadGets) {
    CircularBuffer<MessageRegistration, 1024> ring;
    try {
        ring.Get(0);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "CircularBuffer::Get() - no elements.");
    }
    try {
        ring.Get(1024);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "CircularBuffer::Get() - index too large.");
    }
    MessageRegistration m;
    for (std::size_t i = 0; i < 1024; ++i) {
        m.mediaId = std::to_string(i);
        ASSERT_EQ(ring.Put(m), i);
    }
    m.mediaId = "again";
    EXPECT_EQ(ring.Put(m), 0u);
    EXPECT_EQ(ring.Get(0).mediaId, "again");
    EXPECT_EQ(ring.Copy(1023).mediaId, "1023");
}

TEST(CriticalSectionLock, IsNotReentrant) {
    CriticalSectionLock lock;
    LockScope scope(lock);
    EXPECT_TRUE(lock.Held());
    EXPECT_THROW(lock.Enter(), std::logic_error);
}
