#pragma once
#include <stop_token>
#include <string>

#include "ftdi/OutputSettings.h"
#include "ftdi/UserArea.h"
#include "platform/input/KeyboardOutput.h"

namespace FTDI {

// Types card reads into the focused window: builds the line from the device's
// prefix and suffix items and sends it key by key with the program-wide delay
// and optional clicks around it.
class TextSender {
public:
    TextSender(KeyboardOutput& output, const OutputSettings& settings)
        : output_(output), settings_(settings) {}

    // Once a stop is requested the pauses end at once; the line in progress is
    // still typed in full so no card read is half sent.
    void SetStopToken(std::stop_token stop) { stop_ = std::move(stop); }

    // A proximity read: the identifier cut to the device's media-ID format.
    void TypeIdentifier(const UserArea& userArea, const std::string& identifier);
    // One magnetic piece; typed only when the device sends to the keyboard.
    void ProcessMagneticRecord(const UserArea& userArea, const std::string& piece);
    // The clicks around the line and the line itself.
    void TypeText(const std::string& line);
    // Each character as itself (8-bit bytes read as Latin-1), a line feed as
    // Enter, each followed by the inter-character delay.
    void SendText(const std::string& line);
    void ClickAt(int x, int y);

private:
    void Pause(int milliseconds);

    KeyboardOutput& output_;
    const OutputSettings& settings_;
    std::stop_token stop_;
};

} // namespace FTDI
