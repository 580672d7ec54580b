#pragma once
#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <string>

#include "dialogs/PasswordDialogs.h"
#include "settings/Configuration.h"
#include "settings/PasswordLock.h"
#include "frame/C_VantixFrame.h"
#include "platform/d2xx/sim/SimulatedD2xx.h"
#include "platform/input/recording/RecordingKeyboardOutput.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/support/TempDir.h"

namespace vantix::test {

inline constexpr char kPassword[] = "secret";

// The user area of a proximity reader with this name: ID 7, EC 9, two beeps,
// keyboard and database on, Enter as the only suffix.
inline FTDI::SimulatedD2xx::UserAreaBytes ReaderBytes(const std::string& name) {
    const FTDI::UserArea area(name, 7, 9, 6, 0, 1, 1, -1, -1, -1, 0, 1, 2, 3, 0x0F, FTDI::KeyNewLine, 12, 12, 12,
                              0x0E, FTDI::DeviceTypeProximity);
    FTDI::SimulatedD2xx::UserAreaBytes out;
    std::copy(std::begin(area.bytes), std::end(area.bytes), out.begin());
    return out;
}

// Answers every password prompt while it lives: with the right password
// or by cancelling; counts the prompts.
class PasswordAnswerer {
public:
    explicit PasswordAnswerer(bool rightPassword) {
        QObject::connect(&poll_, &QTimer::timeout, [this, rightPassword] {
            auto* prompt = qobject_cast<CD_Password*>(QApplication::activeModalWidget());
            if (!prompt)
                return;
            ++prompts;
            if (rightPassword) {
                prompt->Field()->setText(kPassword);
                prompt->accept();
            } else {
                prompt->reject();
            }
        });
        poll_.start(5);
    }
    int prompts = 0;

private:
    QTimer poll_;
};

// A frame on a simulator and a recording keyboard, in a temporary program
// directory with its own Vantix.ini. The interface starts locked.
class FrameFixture : public ::testing::Test {
protected:
    void SetUp() override { Lock(); }
    void TearDown() override {
        frame.reset();
        Lock();
    }

    // Writes Vantix.ini (the password plus `settings`, lines of key=value)
    // and creates the frame.
    void MakeFrame(const std::string& settings = {}) {
        WriteFile(ini, "[Settings]\r\nPassword=" + std::to_string(static_cast<std::int32_t>(PasswordHash(kPassword))) +
                           "\r\nBeepPause=0\r\n" + settings);
        auto simulator = std::make_unique<FTDI::SimulatedD2xx>();
        auto keyboard = std::make_unique<FTDI::RecordingKeyboardOutput>();
        sim = simulator.get();
        keys = keyboard.get();
        FrameOptions options;
        options.d2xx = std::move(simulator);
        options.keyboard = std::move(keyboard);
        options.timings.monitorPeriod = std::chrono::milliseconds(50);
        options.timings.readerPeriod = std::chrono::milliseconds(20);
        options.timings.idlePeriod = std::chrono::milliseconds(20);
        options.timings.callPause = std::chrono::milliseconds(0);
        options.timings.buzzPause = std::chrono::milliseconds(0);
        options.programDirectory = dir.Path().string() + "/";
        options.prompter = &prompter;
        options.deviceCheck = deviceCheck;
        options.waylandSession = waylandSession;
        options.app = appCommands;
        options.trayHostAvailable = [this] { return trayHost; };
        options.quit = [this] { ++quits; };
        frame = std::make_unique<C_VantixFrame>(config, std::move(options));
    }

    std::string IniValue(const std::string& key) { return IniFile(ini).GetString("Settings", key, "<missing>"); }

    TempDir dir;
    std::string ini = dir.File("Vantix.ini");
    Configuration config{ini}; // nothing is read before MakeFrame writes the file
    RecordingPrompter prompter;
    bool deviceCheck = false;
    bool waylandSession = false;
    bool trayHost = true;
    AppCommands appCommands;
    int quits = 0;
    FTDI::SimulatedD2xx* sim = nullptr;
    FTDI::RecordingKeyboardOutput* keys = nullptr;
    std::unique_ptr<C_VantixFrame> frame;
};

} // namespace vantix::test
