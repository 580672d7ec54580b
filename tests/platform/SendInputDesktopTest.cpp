// The SendInput output against the real system: a window of this test takes
// the keys in an edit control and the click on a button. Under Wine it needs
// an X display (run under xvfb-run).
#include <gtest/gtest.h>

#include <chrono>

#include "platform/input/windows/SendInputKeyboardOutput.h"
#include "tests/support/Wait.h"

namespace {

int buttonClicks = 0;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED)
        ++buttonClicks;
    return DefWindowProcW(window, message, wParam, lParam);
}

// Handles this thread's messages (the keys reach the edit control only
// through them) until the condition holds or the deadline passes.
template <class Condition>
bool PumpUntil(Condition done) {
    return vantix::test::WaitFor(done, std::chrono::seconds(5), [] {
        for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    });
}

void SendKey(WORD key, DWORD flags = 0) {
    INPUT input{INPUT_KEYBOARD, {}};
    input.ki = {key, 0, flags, 0, 0};
    SendInput(1, &input, sizeof input);
}

void ToggleCapsLock() { SendKey(VK_CAPITAL); SendKey(VK_CAPITAL, KEYEVENTF_KEYUP); }

bool CapsLockOn() { return GetKeyState(VK_CAPITAL) & 1; }

TEST(SendInputDesktop, TypesAndClicksIntoARealWindow) {
    struct Destroy {
        void operator()(HWND window) const { DestroyWindow(window); }
    };
    // Under Wine the desktop of the prefix may have been started without an
    // X display (by an earlier Wine process), and then shows no windows: use
    // a desktop of this test, which Wine starts on the test's display.
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) {
        // Left open: this thread stays on it until the process ends.
        HDESK desktop = CreateDesktopW(L"VantixSendInputTest", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        ASSERT_TRUE(desktop && SetThreadDesktop(desktop)) << "cannot make a desktop for the test";
    }
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VantixSendInputTest";
    RegisterClassW(&windowClass);
    const std::unique_ptr<std::remove_pointer_t<HWND>, Destroy> top(
        CreateWindowW(windowClass.lpszClassName, L"typing target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 400,
                      nullptr, nullptr, windowClass.hInstance, nullptr));
    ASSERT_TRUE(top) << "cannot create a window (no display?)";
    const HWND edit = CreateWindowW(L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN, 10, 10, 400,
                                    200, top.get(), nullptr, nullptr, nullptr);
    const HWND button = CreateWindowW(L"BUTTON", L"press", WS_CHILD | WS_VISIBLE, 420, 300, 100, 50, top.get(),
                                      nullptr, nullptr, nullptr);
    SetForegroundWindow(top.get());
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == top.get(); })) << "the window got no focus";
    SetFocus(edit);

    FTDI::SendInputKeyboardOutput output;
    EXPECT_EQ(output.Focus(), FTDI::FocusTarget::OwnWindow);
    const auto typed = [&](const std::u32string& line, const std::wstring& expected) {
        SetWindowTextW(edit, L"");
        if (output.BeginLine())
            for (const char32_t c : line)
                c == U'\n' ? output.PressEnter() : output.TypeCharacter(c);
        EXPECT_EQ(output.LineDone(), "");
        return PumpUntil([&] {
            wchar_t text[64] = {};
            GetWindowTextW(edit, text, 64);
            return text == expected;
        });
    };
    EXPECT_TRUE(typed(U"Ab1 ,:%^;=?/\u00E9\u00FC\u00DF\u20AC\U0001F600@\n2",
                      L"Ab1 ,:%^;=?/\u00E9\u00FC\u00DF\u20AC\U0001F600@\r\n2"));

    // Caps Lock on and a Shift held by another program change nothing.
    ToggleCapsLock();
    SendKey(VK_LSHIFT);
    ASSERT_TRUE(PumpUntil(CapsLockOn));
    EXPECT_TRUE(typed(U"AbC1", L"AbC1"));
    EXPECT_TRUE(GetAsyncKeyState(VK_LSHIFT) & 0x8000) << "Shift is not down again after the line";
    SendKey(VK_LSHIFT, KEYEVENTF_KEYUP);
    ToggleCapsLock();
    EXPECT_TRUE(PumpUntil([] { return !CapsLockOn(); }));

    RECT r;
    GetWindowRect(button, &r);
    const POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    output.ClickAt(middle.x, middle.y);
    EXPECT_TRUE(PumpUntil([] { return buttonClicks == 1; }));
    POINT cursor;
    GetCursorPos(&cursor);
    EXPECT_TRUE(cursor.x == middle.x && cursor.y == middle.y) << cursor.x << "," << cursor.y;
}

} // namespace
