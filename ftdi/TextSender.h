#pragma once
#include <functional>
#include <string>

#include "core/Stop.h"
#include "ftdi/OutputSettings.h"
#include "ftdi/UserArea.h"
#include "platform/input/KeyboardOutput.h"

namespace FTDI {

// Why a card read was not typed as read.
struct TypingProblem {
    enum class Kind {
        OwnWindowFocused, // a window of this program has the focus: nothing typed
        LineIncomplete,   // the keyboard output could not send all of the line
    };
    Kind kind;
    std::string detail; // the keyboard output's account, in English (LineIncomplete)
};

// Types card reads into the focused window: builds the line from the device's
// prefix and suffix items and sends it key by key with the program-wide delay
// and optional clicks around it.
class TextSender {
public:
    using ProblemReporter = std::function<void(const TypingProblem&)>;

    TextSender(KeyboardOutput& output, const OutputSettings& settings)
        : output_(output), settings_(settings) {}

    // Once a stop is requested the pauses end at once; the line in progress is
    // still typed in full so no card read is half sent.
    void SetStopToken(vantix::StopToken stop) { stop_ = std::move(stop); }
    // Told once per line that was not typed in full, and once per spell of
    // this program's own window having the focus.
    void SetProblemReporter(ProblemReporter report) { report_ = std::move(report); }

    // A proximity read: the identifier cut to the device's media-ID format.
    void TypeIdentifier(const UserArea& userArea, const std::string& identifier);
    // One magnetic piece; typed only when the device sends to the keyboard.
    void ProcessMagneticRecord(const UserArea& userArea, const std::string& piece);
    // The clicks around the line and the line itself. Card data is never typed
    // into the program's own windows, where it would reach its commands.
    void TypeText(const std::string& line);
    // Each character as itself (8-bit bytes read as Latin-1), a line feed as
    // Enter, each followed by the inter-character delay.
    void SendText(const std::string& line);
    void ClickAt(int x, int y);

private:
    void Pause(int milliseconds);
    void Report(TypingProblem problem);

    KeyboardOutput& output_;
    const OutputSettings& settings_;
    vantix::StopToken stop_;
    ProblemReporter report_;
    bool ownWindowReported_ = false;
};

} // namespace FTDI
