#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "platform/input/windows/SendInputKeyboardOutput.h"

namespace {

using FTDI::FocusTarget;
using FTDI::SendInputKeyboardOutput;

// Plays the system: a keyboard layout given as the keys (VkKeyScanExW
// answers) of its characters, the keys held, the screen; it records every
// event and, like the system, lets the events change which keys are down.
class RecordingInputApi : public FTDI::windows::InputApi {
public:
    // nearKeys: answers of VkKeyScanExW for keys that make another character.
    std::map<WCHAR, SHORT> layout, nearKeys;
    std::set<UINT> deadKeys;
    std::set<int> held;
    bool capsLock = false;
    FTDI::windows::ForegroundWindow foreground{true, 7, 42};
    std::map<int, int> metrics;
    UINT accepted = ~0u; // the most events one SendInput call takes
    std::vector<INPUT> sent;

    FTDI::windows::ForegroundWindow Foreground() override { return foreground; }
    DWORD OwnProcess() override { return 99; }
    HKL Layout(DWORD thread) override { return reinterpret_cast<HKL>(static_cast<ULONG_PTR>(0x0400 + thread)); }
    SHORT KeyScan(WCHAR c, HKL) override {
        return layout.count(c) ? layout[c] : nearKeys.count(c) ? nearKeys[c] : -1;
    }
    UINT MapKey(UINT code, UINT, HKL) override { return ScanOf(static_cast<int>(code)); }
    int ToUnicode(UINT key, const BYTE* state, WCHAR* buffer, int, HKL) override {
        if (deadKeys.count(key))
            return -1;
        int shift = (state[VK_SHIFT] & 0x80 ? 1 : 0) | (state[VK_CONTROL] & 0x80 ? 2 : 0) |
                    (state[VK_MENU] & 0x80 ? 4 : 0);
        if ((state[VK_CAPITAL] & 1) && (shift & 6) == 0 && key >= 'A' && key <= 'Z')
            shift ^= 1;
        for (const auto& [c, scan] : layout)
            if (static_cast<SHORT>(shift << 8 | key) == scan) {
                buffer[0] = c;
                return 1;
            }
        return 0;
    }
    bool KeyDown(int key) override { return held.count(key) != 0; }
    bool CapsLockOn() override { return capsLock; }
    int Metric(int index) override { return metrics[index]; }
    UINT Send(UINT count, INPUT* inputs) override {
        const UINT taken = std::min(count, accepted);
        for (const INPUT& in : std::vector<INPUT>(inputs, inputs + taken)) {
            sent.push_back(in);
            if (in.type == INPUT_KEYBOARD && in.ki.wVk != 0 && (in.ki.dwFlags & KEYEVENTF_KEYUP))
                held.erase(in.ki.wVk);
            else if (in.type == INPUT_KEYBOARD && in.ki.wVk != 0)
                held.insert(in.ki.wVk);
        }
        return taken;
    }

    static UINT ScanOf(int key) {
        static const std::map<int, UINT> extended = {{VK_RCONTROL, 0xE01D}, {VK_RMENU, 0xE038}, {VK_LWIN, 0xE05B}};
        const auto it = extended.find(key);
        return it != extended.end() ? it->second : 0x10 + (key & 0x3F);
    }

    // The key events sent since the last call, as "+A -A +u00E9 ..."; a key
    // without its scan code or extended flag is marked with '?'.
    std::string Keys() {
        static const std::map<int, std::string> names = {
            {VK_LSHIFT, "LSHIFT"}, {VK_LCONTROL, "LCONTROL"}, {VK_RCONTROL, "RCONTROL"}, {VK_LMENU, "LMENU"},
            {VK_RMENU, "RMENU"},   {VK_LWIN, "LWIN"},         {VK_RETURN, "RETURN"},     {0xE8, "MASK"}};
        std::string text;
        for (const INPUT& in : sent) {
            const KEYBDINPUT& k = in.ki;
            text += text.empty() ? "" : " ";
            text += k.dwFlags & KEYEVENTF_KEYUP ? '-' : '+';
            char name[16];
            if (k.dwFlags & KEYEVENTF_UNICODE) {
                std::snprintf(name, sizeof name, "u%04X", k.wScan);
                text += name;
                continue;
            }
            const auto it = names.find(k.wVk);
            text += it != names.end() ? it->second : std::string(1, static_cast<char>(k.wVk));
            const UINT scan = ScanOf(k.wVk);
            const bool extended = (scan & 0xFF00) == 0xE000;
            if (k.wVk != 0xE8 && (k.wScan != (scan & 0xFF) || extended != ((k.dwFlags & KEYEVENTF_EXTENDEDKEY) != 0)))
                text += '?';
        }
        sent.clear();
        return text;
    }
};

constexpr SHORT kShift = 0x100, kAltGr = 0x600;

struct Fixture {
    std::unique_ptr<RecordingInputApi> owned = std::make_unique<RecordingInputApi>();
    RecordingInputApi* input = owned.get();
    SendInputKeyboardOutput output{std::move(owned)};

    Fixture() {
        // A US layout, with '@' where a German one has it (AltGr+Q) and '^' on a dead key.
        for (char c = 'a'; c <= 'z'; ++c) {
            input->layout[c] = static_cast<SHORT>(c - 'a' + 'A');
            input->layout[c - 'a' + 'A'] = static_cast<SHORT>(kShift | (c - 'a' + 'A'));
        }
        for (char c = '0'; c <= '9'; ++c)
            input->layout[c] = c;
        input->layout[L'@'] = kAltGr | 'Q';
        input->layout[L'^'] = VK_OEM_5;
        input->deadKeys.insert(VK_OEM_5);
        input->nearKeys[L'\u00E8'] = 'E'; // as Wine answers for an accented letter
        input->layout[L'\n'] = 0x200 | VK_RETURN; // what VkKeyScan says: Ctrl+Enter
    }
    std::string TypeLine(const std::u32string& text) {
        if (output.BeginLine())
            for (const char32_t c : text)
                c == U'\n' ? output.PressEnter() : output.TypeCharacter(c);
        return output.LineDone();
    }
};

TEST(SendInputKeyboardOutput, TypesKeysOfTheLayoutAndUnicodeForTheRest) {
    const struct {
        std::u32string text;
        bool capsLock;
        const char* keys;
    } cases[] = {
        {U"Ab1\n", false, "+LSHIFT +A -A -LSHIFT +B -B +1 -1 +RETURN -RETURN"},
        {U"Ab", true, "+A -A +LSHIFT +B -B -LSHIFT"},
        {U"@", false, "+LCONTROL +LMENU +Q -Q -LMENU -LCONTROL"},
        {U"\u00E9\u00E8^", false, "+u00E9 -u00E9 +u00E8 -u00E8 +u005E -u005E"},
        {U"\U0001F600", false, "+uD83D +uDE00 -uD83D -uDE00"},
    };
    for (const auto& c : cases) {
        Fixture f;
        f.input->capsLock = c.capsLock;
        EXPECT_EQ(f.TypeLine(c.text), "");
        EXPECT_EQ(f.input->Keys(), c.keys) << c.keys;
    }
}

TEST(SendInputKeyboardOutput, ReleasesHeldModifiersForTheLineAndPressesThemAgainAfterIt) {
    const struct {
        std::set<int> held;
        const char* released;
        const char* pressed;
    } cases[] = {
        {{VK_LSHIFT}, "-LSHIFT", "+LSHIFT"},
        // Alt or Windows released alone would open a menu: another key comes first.
        {{VK_RCONTROL, VK_RMENU}, "+MASK -MASK -RCONTROL -RMENU", "+RCONTROL +RMENU"},
    };
    for (const auto& c : cases) {
        Fixture f;
        f.input->held = c.held;
        ASSERT_TRUE(f.output.BeginLine());
        EXPECT_EQ(f.input->Keys(), c.released);
        f.output.TypeCharacter(U'a');
        EXPECT_EQ(f.input->Keys(), "+A -A");
        // The keyboard's auto-repeat brings a key still held down again.
        const int repeated = *c.held.begin();
        f.input->held.insert(repeated);
        f.output.TypeCharacter(U'a');
        EXPECT_EQ(f.input->Keys(), (repeated == VK_LSHIFT ? "-LSHIFT" : "-RCONTROL") + std::string(" +A -A"));
        EXPECT_EQ(f.output.LineDone(), "");
        EXPECT_EQ(f.input->Keys(), c.pressed);
        EXPECT_EQ(f.input->held, c.held);
    }
}

TEST(SendInputKeyboardOutput, ReportsABlockedLineOnceAndTellsWhereTheKeysWouldGo) {
    Fixture f;
    f.input->held = {VK_LSHIFT};
    ASSERT_TRUE(f.output.BeginLine());
    f.output.TypeCharacter(U'a');
    f.input->accepted = 0; // a window of higher rights took the focus
    EXPECT_FALSE(f.output.TypeCharacter(U'b'));
    EXPECT_FALSE(f.output.TypeCharacter(U'\x01'));
    f.input->accepted = ~0u;
    EXPECT_FALSE(f.output.TypeCharacter(U'c')); // no gap in the typed text
    EXPECT_EQ(f.input->Keys(), "-LSHIFT +A -A");
    f.input->accepted = 0; // nor can Shift be pressed again
    const std::string problem = f.output.LineDone();
    EXPECT_NE(problem.find("took 0 of 2 input events"), std::string::npos) << problem;
    EXPECT_EQ(problem.find("took", problem.find("took") + 1), std::string::npos) << problem;
    EXPECT_NE(problem.find("3 characters were not typed"), std::string::npos) << problem;

    // The next line starts afresh; a control character is refused, not sent as a shortcut.
    f.input->accepted = ~0u;
    f.input->held.clear();
    EXPECT_EQ(f.TypeLine(U"a\x01"), "cannot type U+0001 (not a printable character)");
    EXPECT_EQ(f.input->Keys(), "+A -A");

    EXPECT_EQ(f.output.Focus(), FocusTarget::OtherWindow);
    f.input->foreground.process = f.input->OwnProcess();
    EXPECT_EQ(f.output.Focus(), FocusTarget::OwnWindow);
    f.input->foreground = {};
    EXPECT_EQ(f.output.Focus(), FocusTarget::NoWindow);
}

TEST(SendInputKeyboardOutput, ClicksThePixelAskedForAcrossTheVirtualScreen) {
    const struct {
        int left, top, width, height, x, y, expectX, expectY;
    } cases[] = {
        {0, 0, 1920, 1080, 0, 0, 0, 0},
        {0, 0, 1920, 1080, 1919, 1079, 1919, 1079},
        {0, 0, 1920, 1080, 1, 1, 1, 1},
        {-1280, -200, 3200, 1280, -1280, -200, -1280, -200}, // a monitor left of and above the main one
        {-1280, -200, 3200, 1280, 1919, 1079, 1919, 1079},
        {0, 0, 1024, 768, 5000, -5, 1023, 0}, // off the screen: its edge
    };
    for (const auto& c : cases) {
        for (const bool swapped : {false, true}) {
            Fixture f;
            f.input->metrics = {{SM_XVIRTUALSCREEN, c.left}, {SM_YVIRTUALSCREEN, c.top}, {SM_CXVIRTUALSCREEN, c.width},
                                {SM_CYVIRTUALSCREEN, c.height}, {SM_SWAPBUTTON, swapped}};
            f.output.ClickAt(c.x, c.y);
            ASSERT_EQ(f.input->sent.size(), 3u);
            const MOUSEINPUT& move = f.input->sent[0].mi;
            EXPECT_EQ(move.dwFlags, DWORD(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK));
            ASSERT_TRUE(move.dx >= 0 && move.dx <= 65535 && move.dy >= 0 && move.dy <= 65535);
            // How the system maps the values back to pixels.
            EXPECT_EQ(c.left + static_cast<int>(move.dx * static_cast<long long>(c.width) / 65536), c.expectX);
            EXPECT_EQ(c.top + static_cast<int>(move.dy * static_cast<long long>(c.height) / 65536), c.expectY);
            EXPECT_EQ(f.input->sent[1].mi.dwFlags, DWORD(swapped ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN));
            EXPECT_EQ(f.input->sent[2].mi.dwFlags, DWORD(swapped ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP));
        }
    }
}

} // namespace
