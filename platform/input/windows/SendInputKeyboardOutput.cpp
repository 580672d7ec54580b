#include "platform/input/windows/SendInputKeyboardOutput.h"

#include <algorithm>
#include <cstdio>

#include "core/Text.h"
#include "core/Trace.h"

namespace FTDI {

namespace {

// Modifier keys a user may hold while a card is read. Lock keys are left
// alone: releasing one and pressing it again would toggle it.
constexpr int kModifiers[] = {VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU, VK_LWIN, VK_RWIN};

// An unassigned virtual key. Pressed before Alt or Windows is released, it
// keeps the foreground window from opening its menu and the shell from
// opening the Start menu, as a lone press and release of those keys would.
constexpr WORD kMaskKey = 0xE8;

// Shift states of VkKeyScanExW that type a character: none, Shift, AltGr
// (Ctrl+Alt) and Shift+AltGr. Ctrl alone would make a shortcut.
constexpr int kShift = 1, kCtrl = 2, kAlt = 4;

// Control characters would reach programs as shortcuts; surrogates and
// values beyond Unicode are no characters at all.
bool IsTypeable(char32_t c) {
    return c >= 0x20 && !(c >= 0x7F && c <= 0x9F) && !(c >= 0xD800 && c <= 0xDFFF) && c <= 0x10FFFF;
}

void Append(std::string& text, const std::string& part) {
    if (!part.empty())
        text += (text.empty() ? "" : "; ") + part;
}

INPUT KeyInput(WORD virtualKey, WORD scan, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = scan;
    input.ki.dwFlags = flags;
    return input;
}

// A key as the keyboard would send it: programs that read scan codes, or
// tell the right Ctrl from the left one, see the real key.
INPUT KeyEvent(windows::InputApi& api, int virtualKey, bool up, HKL layout) {
    const UINT scan = api.MapKey(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC_EX, layout);
    DWORD flags = up ? KEYEVENTF_KEYUP : 0;
    if ((scan & 0xFF00) == 0xE000 || (scan & 0xFF00) == 0xE100)
        flags |= KEYEVENTF_EXTENDEDKEY;
    return KeyInput(static_cast<WORD>(virtualKey), static_cast<WORD>(scan & 0xFF), flags);
}

void AppendUnicode(std::vector<INPUT>& inputs, char32_t c) {
    if (c < 0x10000) {
        inputs.push_back(KeyInput(0, static_cast<WORD>(c), KEYEVENTF_UNICODE));
        inputs.push_back(KeyInput(0, static_cast<WORD>(c), KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
        return;
    }
    // Both halves down before either goes up, so that a program sees the two
    // WM_CHARs of the pair one after the other.
    const WORD high = static_cast<WORD>(0xD800 + ((c - 0x10000) >> 10));
    const WORD low = static_cast<WORD>(0xDC00 + ((c - 0x10000) & 0x3FF));
    inputs.push_back(KeyInput(0, high, KEYEVENTF_UNICODE));
    inputs.push_back(KeyInput(0, low, KEYEVENTF_UNICODE));
    inputs.push_back(KeyInput(0, high, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
    inputs.push_back(KeyInput(0, low, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
}

// Whether the key, with the modifiers of the shift state, makes the character.
bool KeyMakes(windows::InputApi& api, int virtualKey, int shift, bool capsLock, WCHAR c, HKL layout) {
    BYTE state[256] = {};
    const BYTE down = 0x80;
    if (shift & kShift)
        state[VK_SHIFT] = state[VK_LSHIFT] = down;
    if (shift & kCtrl)
        state[VK_CONTROL] = state[VK_LCONTROL] = down;
    if (shift & kAlt)
        state[VK_MENU] = state[VK_LMENU] = down;
    state[VK_CAPITAL] = capsLock ? 1 : 0;
    WCHAR made[4];
    return api.ToUnicode(static_cast<UINT>(virtualKey), state, made, 4, layout) == 1 && made[0] == c;
}

// The character as a key of the layout, with the modifiers it needs; false
// when the layout has no plain key for it.
bool AppendKeyStroke(windows::InputApi& api, std::vector<INPUT>& inputs, char32_t c, HKL layout, bool capsLock) {
    if (c > 0xFFFF)
        return false;
    const SHORT scan = api.KeyScan(static_cast<WCHAR>(c), layout);
    if (scan == -1)
        return false;
    const int virtualKey = scan & 0xFF;
    int shift = (scan >> 8) & 0xFF;
    if (shift != 0 && shift != kShift && (shift & ~kShift) != (kCtrl | kAlt))
        return false;
    // Ask the layout what the key really makes: Caps Lock may swap the case
    // (then the other Shift state makes it), a dead key would wait for the
    // next key, and Wine answers with the plain letter for an accented one.
    const auto character = static_cast<WCHAR>(c);
    if (!KeyMakes(api, virtualKey, shift, capsLock, character, layout)) {
        if (!capsLock || !KeyMakes(api, virtualKey, shift ^ kShift, capsLock, character, layout))
            return false;
        shift ^= kShift;
    }

    std::vector<int> held;
    if (shift & kCtrl)
        held.push_back(VK_LCONTROL);
    if (shift & kAlt)
        held.push_back(VK_LMENU);
    if (shift & kShift)
        held.push_back(VK_LSHIFT);
    for (const int key : held)
        inputs.push_back(KeyEvent(api, key, false, layout));
    inputs.push_back(KeyEvent(api, virtualKey, false, layout));
    inputs.push_back(KeyEvent(api, virtualKey, true, layout));
    for (auto key = held.rbegin(); key != held.rend(); ++key)
        inputs.push_back(KeyEvent(api, *key, true, layout));
    return true;
}

} // namespace

SendInputKeyboardOutput::SendInputKeyboardOutput(std::unique_ptr<windows::InputApi> api) : api_(std::move(api)) {}

FocusTarget SendInputKeyboardOutput::Focus() {
    const windows::ForegroundWindow window = api_->Foreground();
    if (!window.exists)
        return FocusTarget::NoWindow;
    return window.process == api_->OwnProcess() ? FocusTarget::OwnWindow : FocusTarget::OtherWindow;
}

bool SendInputKeyboardOutput::BeginLine() {
    std::lock_guard lock(mutex_);
    released_.clear();
    untypeable_.clear();
    sendProblem_.clear();
    dropped_ = 0;
    std::vector<INPUT> inputs;
    ReleaseHeldModifiers(inputs);
    return Send(inputs);
}

void SendInputKeyboardOutput::ReleaseHeldModifiers(std::vector<INPUT>& inputs) {
    // Checked before every key too: a key still held on the keyboard comes
    // down again when its auto-repeat starts.
    std::vector<int> now;
    for (const int key : kModifiers)
        if (api_->KeyDown(key))
            now.push_back(key);
    if (now.empty())
        return;
    const HKL layout = api_->Layout(api_->Foreground().thread);
    if (std::any_of(now.begin(), now.end(), [](int key) {
            return key == VK_LMENU || key == VK_RMENU || key == VK_LWIN || key == VK_RWIN;
        })) {
        inputs.push_back(KeyInput(kMaskKey, 0, 0));
        inputs.push_back(KeyInput(kMaskKey, 0, KEYEVENTF_KEYUP));
    }
    for (const int key : now) {
        inputs.push_back(KeyEvent(*api_, key, true, layout));
        if (std::find(released_.begin(), released_.end(), key) == released_.end())
            released_.push_back(key);
    }
}

bool SendInputKeyboardOutput::TypeCharacter(char32_t character) {
    std::lock_guard lock(mutex_);
    return Type(character);
}

bool SendInputKeyboardOutput::PressEnter() {
    std::lock_guard lock(mutex_);
    return Type(U'\n');
}

bool SendInputKeyboardOutput::Type(char32_t character) {
    if (!sendProblem_.empty()) {
        // The line was cut short: the rest would arrive with a gap in it.
        ++dropped_;
        return false;
    }
    if (character != U'\n' && !IsTypeable(character)) {
        untypeable_ += character;
        return false;
    }
    std::vector<INPUT> inputs;
    ReleaseHeldModifiers(inputs);
    const HKL layout = api_->Layout(api_->Foreground().thread);
    if (character == U'\n') {
        inputs.push_back(KeyEvent(*api_, VK_RETURN, false, layout));
        inputs.push_back(KeyEvent(*api_, VK_RETURN, true, layout));
    } else if (!AppendKeyStroke(*api_, inputs, character, layout, api_->CapsLockOn())) {
        AppendUnicode(inputs, character);
    }
    if (Send(inputs))
        return true;
    ++dropped_;
    return false;
}

bool SendInputKeyboardOutput::Send(std::vector<INPUT>& inputs) {
    if (inputs.empty())
        return true;
    const auto count = static_cast<UINT>(inputs.size());
    const UINT taken = api_->Send(count, inputs.data());
    if (taken == count)
        return true;
    if (sendProblem_.empty()) {
        // Windows does not say why; these are the two causes it documents.
        sendProblem_ = "the system took " + std::to_string(taken) + " of " + std::to_string(count) +
                       " input events (the focused window may belong to a program running with higher "
                       "rights, or another desktop such as the sign-in screen is shown)";
    }
    return false;
}

std::string SendInputKeyboardOutput::LineDone() {
    std::lock_guard lock(mutex_);
    std::vector<INPUT> inputs;
    if (!released_.empty()) {
        const HKL layout = api_->Layout(api_->Foreground().thread);
        for (const int key : released_)
            inputs.push_back(KeyEvent(*api_, key, false, layout));
    }
    const bool wasShort = !sendProblem_.empty();
    std::string problem;
    if (!Send(inputs) && !wasShort)
        problem = sendProblem_ + " when pressing the held modifier keys again";
    else if (wasShort)
        problem = sendProblem_ + (dropped_ == 1   ? "; 1 character was not typed"
                                 : dropped_ > 1 ? "; " + std::to_string(dropped_) + " characters were not typed"
                                                : "");
    if (!untypeable_.empty())
        Append(problem, "cannot type " + vantix::CodePointList(untypeable_) + " (not a printable character)");
    released_.clear();
    untypeable_.clear();
    sendProblem_.clear();
    dropped_ = 0;
    return problem;
}

void SendInputKeyboardOutput::ClickAt(int x, int y) {
    const int left = api_->Metric(SM_XVIRTUALSCREEN);
    const int top = api_->Metric(SM_YVIRTUALSCREEN);
    const int width = api_->Metric(SM_CXVIRTUALSCREEN);
    const int height = api_->Metric(SM_CYVIRTUALSCREEN);
    if (width <= 0 || height <= 0) {
        vantix::TraceF("Keyboard output: no screen to click at %d,%d\n", x, y);
        return;
    }
    // The system maps a coordinate back as origin + value * size / 65536,
    // rounding down: aim at the middle of the pixel, so that it lands on it.
    const auto normalise = [](int position, int origin, int size) {
        const long long pixel = std::clamp<long long>(static_cast<long long>(position) - origin, 0, size - 1);
        return static_cast<LONG>(std::min<long long>((pixel * 65536 + 32768) / size, 65535));
    };
    // A left click is the primary button, which the user may have swapped.
    const bool swapped = api_->Metric(SM_SWAPBUTTON) != 0;
    INPUT inputs[3] = {};
    const DWORD flags[3] = {MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK,
                            DWORD(swapped ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN),
                            DWORD(swapped ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP)};
    for (int i = 0; i < 3; ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dx = normalise(x, left, width);
        inputs[i].mi.dy = normalise(y, top, height);
        inputs[i].mi.dwFlags = flags[i];
    }
    if (const UINT taken = api_->Send(3, inputs); taken != 3)
        vantix::TraceF("Keyboard output: the click at %d,%d was not delivered (the system took %u of 3 "
                       "input events)\n",
                       x, y, taken);
}

} // namespace FTDI
