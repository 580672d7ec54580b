// The real vantix binary, run the way a user runs it: copied into a program
// directory of its own with a password set, on an X display, its readers
// simulated and driven through `vantixctl sim`; and another client of that
// display, for the user's keyboard and window manager.
#pragma once
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

namespace vantix::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

inline fs::path BinDir() { return std::getenv("VANTIX_BIN_DIR"); }
inline std::string Ctl() { return (BinDir() / "vantixctl").string(); }

// Standard output of a shell command; empty when it fails.
inline std::string Output(const std::string& command) {
    try {
        return RunCommand(command);
    } catch (const std::exception&) {
        return {};
    }
}

// The tools a test needs, or the reason to skip it.
inline std::string Missing(std::initializer_list<const char*> tools) {
    for (const char* tool : tools)
        if (!OnPath(tool)) return std::string("needs ") + tool;
    return {};
}

class RunningProgram {
public:
    // One reader `serial` with the user area `vantixctl ua encode <area>`;
    // `settings` are appended to the settings file.
    RunningProgram(const fs::path& dir, const std::string& display, const std::string& area,
                   const std::string& settings = {}, const std::string& serial = "FT01")
        : dir_(dir), serial_(serial), socket_(work_.File("sim.sock")), log_(work_.File("vantix.log")) {
        fs::create_directories(dir_);
        fs::copy_file(BinDir() / "vantix", dir_ / "vantix", fs::copy_options::overwrite_existing);
        RunCommand("printf 'vantix\\n' | " + Ctl() + " password --ini " + Ini() + " >/dev/null");
        if (!settings.empty()) RunCommand("printf '%s' " + ShellQuote(settings) + " >> " + Ini());
        const std::string userArea = RunCommand(Ctl() + " ua encode " + area);
        fs::create_directories(work_.Path() / "runtime");
        fs::permissions(work_.Path() / "runtime", fs::perms::owner_all);
        process_.emplace(std::vector<std::string>{(dir_ / "vantix").string(), "--backend", "sim"},
                         std::map<std::string, std::string>{
                             {"DISPLAY", display},
                             {"QT_QPA_PLATFORM", "xcb"},
                             {"VANTIX_SIM_SOCKET", socket_},
                             {"VANTIX_SIM_READERS", serial_ + "|TR-614 Door|" + userArea},
                             {"XDG_RUNTIME_DIR", (work_.Path() / "runtime").string()},
                             {"XDG_DATA_HOME", work_.File("data")}},
                         log_);
        if (!WaitFor([&] { return Sim("list").find(serial_) != std::string::npos; }, 20s))
            throw std::runtime_error("vantix did not start: " + Log());
    }

    std::string Ini() const { return (dir_ / "Vantix.ini").string(); }
    std::string Log() const { return ReadFile(log_); }
    std::string Sim(const std::string& command) const {
        return Output(Ctl() + " sim --socket " + socket_ + " " + command + " 2>&1");
    }
    // Cards with the media IDs 00000000, 00000001, ... from `first` on.
    void Cards(int first, int count) const {
        for (int i = first; i < first + count; ++i) {
            char id[16];
            std::snprintf(id, sizeof id, "0000%08X01", i);
            Sim("card " + serial_ + " " + id);
        }
    }
    // Beeps the reader has been sent: one per read card.
    int Reads() const {
        const std::string written = Sim("written " + serial_);
        int beeps = 0;
        for (size_t at = written.find("012A31"); at != std::string::npos; at = written.find("012A31", at + 6))
            ++beeps;
        return beeps;
    }
    // This month's registration file, and its lines after the header.
    std::string RegFile() const {
        for (const auto& entry : fs::directory_iterator(dir_))
            if (entry.path().extension() == ".vtxreg") return ReadFile(entry.path().string());
        return {};
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines = vantix::test::Lines(RegFile());
        if (!lines.empty()) lines.erase(lines.begin());
        return lines;
    }
    bool Running() { return !process_->Wait(0ms); }
    // Sends SIGTERM; how long the program took to end, or nothing.
    std::optional<std::chrono::steady_clock::duration> Terminate(std::chrono::seconds limit = 20s) {
        const auto start = std::chrono::steady_clock::now();
        process_->Signal(SIGTERM);
        const std::optional<int> status = process_->Wait(limit);
        if (!status) return std::nullopt;
        exitStatus_ = *status;
        return std::chrono::steady_clock::now() - start;
    }
    int ExitStatus() const { return exitStatus_; }

private:
    TempDir work_;
    fs::path dir_;
    std::string serial_, socket_, log_;
    std::optional<ChildProcess> process_;
    int exitStatus_ = -1;
};

// Another client of the same display: the user's keyboard and window manager
// as XTEST, XKB and client-message requests, and the questions the tests ask
// the server.
class XClient {
public:
    explicit XClient(const std::string& display) : x_(XOpenDisplay(display.c_str()), XCloseDisplay) {
        if (!x_) throw std::runtime_error("cannot open " + display);
    }

    // Sends a request and waits until the server has carried it out.
    template <class Request>
    void Do(Request request) {
        request(d_);
        XSync(d_, False);
    }
    void Key(KeySym keysym, bool down) {
        Do([&](Display* d) { XTestFakeKeyEvent(d, XKeysymToKeycode(d, keysym), down, CurrentTime); });
    }
    bool IsDown(KeySym keysym) {
        char keys[32];
        XQueryKeymap(d_, keys);
        const ::KeyCode code = XKeysymToKeycode(d_, keysym);
        return keys[code / 8] & (1 << (code % 8));
    }
    unsigned LockedModifiers() {
        XkbStateRec state;
        XkbGetState(d_, XkbUseCoreKbd, &state);
        return state.locked_mods;
    }
    // Gives every key code without symbols one, so none is spare.
    void FillSpareCodes() {
        int min = 0, max = 0, width = 0;
        XDisplayKeycodes(d_, &min, &max);
        KeySym* map = XGetKeyboardMapping(d_, static_cast<::KeyCode>(min), max - min + 1, &width);
        KeySym filler = XK_F35;
        for (KeySym* syms = map; syms < map + (max - min + 1) * width; syms += width)
            if (std::all_of(syms, syms + width, [](KeySym k) { return k == NoSymbol; }))
                XChangeKeyboardMapping(d_, min + static_cast<int>((syms - map) / width), 1, &filler, 1);
        XFree(map);
        XSync(d_, False);
    }
    bool TrayOwned() { return XGetSelectionOwner(d_, XInternAtom(d_, "_NET_SYSTEM_TRAY_S0", False)) != 0; }
    // Key presses that reach the window from now on are counted by KeyPresses.
    void WatchKeys(Window window) {
        Do([&](Display* d) { XSelectInput(d, window, KeyPressMask); });
    }
    int KeyPresses() {
        XSync(d_, False);
        int presses = 0;
        for (XEvent event; XPending(d_);) {
            XNextEvent(d_, &event);
            presses += event.type == KeyPress;
        }
        return presses;
    }
    // What the window manager's close button would send.
    void SendDeleteWindow(Window window) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(d_, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(d_, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        Do([&](Display* d) { XSendEvent(d, window, False, NoEventMask, &event); });
    }

private:
    std::unique_ptr<Display, int (*)(Display*)> x_;
    Display* const d_ = x_.get();
};

} // namespace vantix::test
