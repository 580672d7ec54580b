// Typing into a real X window on a private Xvfb: the text that arrives is the
// line, whatever the layout, its changes, the modifiers another client holds
// and the load of the machine; what cannot be typed is reported, not claimed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <X11/Xutil.h>
#include <unistd.h>

#include <sstream>
#include <thread>

#include "ftdi/TextSender.h"
#include "platform/d2xx/sim/SimulatedD2xx.h"
#include "platform/input/x11/WindowOwner.h"
#include "platform/input/x11/X11KeyboardOutput.h"
#include "tests/e2e/RunningProgram.h"
#include "tests/ftdi/RecordingConsumer.h"
#include "tests/support/KeyWindow.h"
#include "tests/support/XServer.h"
#include "tools/WatchSession.h"

using namespace FTDI;
using namespace std::chrono_literals;
using testing::HasSubstr;

namespace {

std::u32string U32(const std::string& latin1) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(latin1.data());
    return {bytes, bytes + latin1.size()};
}

// Runs setxkbmap on the display; true when it succeeded.
bool SetLayout(const std::string& display, const std::string& layout) {
    return std::system(("setxkbmap -display " + display + " -layout " + layout).c_str()) == 0;
}

// Threads that keep every core busy while they live.
struct CpuHogs {
    CpuHogs() {
        for (unsigned i = 0; i < 2 * std::max(1u, std::thread::hardware_concurrency()); ++i)
            threads.emplace_back([](std::stop_token stop) { while (!stop.stop_requested()) {} });
    }
    std::vector<std::jthread> threads; // stopped and joined with the object
};

class TypingIntoAWindow : public ::testing::Test {
protected:
    TypingIntoAWindow() {
        settings.intercharacterDelay = 0;
        sender.SetProblemReporter([this](const TypingProblem& p) { problems.push_back(p); });
    }

    // Types the line and returns what the window received.
    std::u32string TypeAndRead(const std::string& line) {
        sender.TypeText(line);
        return window.ReadLines(1, 10s);
    }

    vantix::test::XServer server;
    vantix::test::KeyWindow window{server.Display()};
    vantix::test::XClient user{server.Display()};
    OutputSettings settings;
    X11KeyboardOutput keyboard{server.Display()};
    TextSender sender{keyboard, settings};
    std::vector<TypingProblem> problems;
};

// Upper and lower case, digits, the punctuation of card lines and magnetic
// tracks, and a Latin-1 name character; the us layout lacks é, de has ^ only
// as a dead key, fr puts digits on the shift level, ru has no Latin letters.
const std::string Line = "Desk\xE9 2A,5c: %B1234^;=?F/0249541F\n";

} // namespace

TEST_F(TypingIntoAWindow, TheTextIsTheLineInEveryLayoutAndAfterEveryChangeOfIt) {
    for (const char* layout : {"us", "de", "fr", "ru", "us"}) {
        ASSERT_TRUE(SetLayout(server.Display(), layout)) << layout;
        EXPECT_EQ(TypeAndRead(Line), U32(Line)) << layout;
    }
    // Two layouts, the second (without Latin letters) chosen as the group.
    ASSERT_TRUE(SetLayout(server.Display(), "us,ru"));
    user.Do([](Display* d) { XkbLockGroup(d, XkbUseCoreKbd, 1); });
    EXPECT_EQ(TypeAndRead(Line), U32(Line)) << "us,ru in the ru group";
    user.Do([](Display* d) { XkbLockGroup(d, XkbUseCoreKbd, 0); });
    EXPECT_EQ(TypeAndRead(Line), U32(Line)) << "us,ru back in the us group";
    EXPECT_TRUE(problems.empty()) << problems.front().detail;
}

TEST_F(TypingIntoAWindow, HeldShiftAndControlAreLiftedForTheLineAndHeldAgainAfterIt) {
    user.Key(XK_Shift_L, true);
    user.Key(XK_Control_L, true);
    EXPECT_EQ(TypeAndRead(Line), U32(Line));
    for (const auto& key : window.Keys()) {
        if (!IsModifierKey(key.keysym)) {
            EXPECT_EQ(key.state & ControlMask, 0u) << "a Ctrl shortcut reached the window: keysym " << key.keysym;
        }
    }
    EXPECT_TRUE(user.IsDown(XK_Shift_L));
    EXPECT_TRUE(user.IsDown(XK_Control_L));
    user.Key(XK_Control_L, false);
    user.Key(XK_Shift_L, false);

    // Caps Lock stays locked and changes nothing.
    user.Do([](Display* d) { XkbLockModifiers(d, XkbUseCoreKbd, LockMask, LockMask); });
    EXPECT_EQ(TypeAndRead(Line), U32(Line)) << "with Caps Lock on";
    EXPECT_EQ(user.LockedModifiers() & LockMask, static_cast<unsigned>(LockMask));
    EXPECT_TRUE(problems.empty()) << problems.front().detail;
}

TEST_F(TypingIntoAWindow, EightBitCharactersArriveEveryTimeWhileTheMachineIsBusy) {
    const std::string name = "\xE9t\xE9 \xFC\xDF \xA7\xB0 0249541F\n"; // none of them in the us layout
    constexpr int Lines = 40;
    std::u32string received;
    {
        CpuHogs hogs;
        std::thread reader([&] { received = window.ReadLines(Lines, 60s); });
        for (int i = 0; i < Lines; ++i)
            sender.TypeText(name);
        reader.join();
    }
    std::u32string expected;
    for (int i = 0; i < Lines; ++i)
        expected += U32(name);
    EXPECT_EQ(received, expected);
    EXPECT_TRUE(problems.empty()) << problems.front().detail;
}

TEST_F(TypingIntoAWindow, WhatCannotBeTypedIsReportedAndNeverClaimed) {
    std::ostringstream json;
    {
        vantixctl::JsonLinePrinter printer(json);
        vantixctl::TypedLineReporter reporter(printer, &keyboard);
        TextSender watch(reporter, settings);
        watch.SetProblemReporter([this](const TypingProblem& p) { problems.push_back(p); });
        // A control character has no key in any layout.
        watch.TypeText("A\x07" "B\n");
        EXPECT_EQ(window.ReadLines(1, 10s), U"AB\n");
    }
    EXPECT_THAT(json.str(), HasSubstr("{\"event\":\"typed\",\"text\":\"AB\\n\",\"error\":\"cannot type U+0007"));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].kind, TypingProblem::Kind::LineIncomplete);

    // Without a spare key code nothing can carry a character the layout lacks.
    user.FillSpareCodes();
    EXPECT_EQ(TypeAndRead("x\xE9y\n"), U"xy\n");
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_THAT(problems[1].detail, HasSubstr("U+00E9"));
}

TEST_F(TypingIntoAWindow, NothingIsTypedIntoAWindowOfThisProcess) {
    window.SetOwnerProcess(getpid(), x11::HostName());
    EXPECT_EQ(keyboard.Focus(), FocusTarget::OwnWindow);
    sender.TypeText("mine\n");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].kind, TypingProblem::Kind::OwnWindowFocused);

    // Our pid number on another host, or another process here.
    window.SetOwnerProcess(getpid(), "elsewhere");
    EXPECT_EQ(TypeAndRead("theirs\n"), U"theirs\n") << "the refused line never arrived";
    window.SetOwnerProcess(getpid() + 1, x11::HostName());
    EXPECT_EQ(keyboard.Focus(), FocusTarget::OtherWindow);

    // No window manager and nobody set the focus: no window to type into.
    user.Do([](Display* d) { XSetInputFocus(d, PointerRoot, RevertToPointerRoot, CurrentTime); });
    EXPECT_EQ(keyboard.Focus(), FocusTarget::NoWindow);
}

TEST(KeyboardIntoARealWindow, ACardReadIsClickedAndTypedIntoTheFocusedWindow) {
    vantix::test::XServer server;
    vantix::test::KeyWindow window(server.Display());

    SimulatedD2xx sim;
    OutputSettings settings;
    settings.beepPause = 0;
    settings.intercharacterDelay = 2;
    settings.clickBefore = 1;
    settings.clickBeforeX = 120;
    settings.clickBeforeY = 80;
    X11KeyboardOutput keyboard(server.Display());
    vantix::test::RecordingConsumer engine(sim, settings, keyboard, vantix::test::FastTimings());
    // Name "éA%z" typed as PF1..PF4, the media ID, Enter as SF1.
    const UserArea ua("\xE9" "A%z", 0, 0, 7, 0, 1, 1, -1, -1, -1, 0, 1, 2, 3, 0, KeyNewLine, KeyNotUsed,
                      KeyNotUsed, KeyNotUsed, 0, DeviceTypeProximity);
    sim.Plug("X1", "TR-614", vantix::test::AreaBytes(ua));
    engine.Start();
    ASSERT_TRUE(engine.WaitFor(MsgDeviceAdded, 1, 5s));
    sim.PresentCard("X1", "F400000249541F01");
    EXPECT_EQ(window.ReadLines(1, 10s), U"\u00E9" U"A%z0249541F\n");
    ASSERT_EQ(window.Clicks().size(), 1u);
    EXPECT_EQ(window.Clicks()[0], std::make_pair(120, 80));
    engine.Stop();
}
