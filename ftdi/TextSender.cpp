#include "ftdi/TextSender.h"

#include "ftdi/CardData.h"
#include "ftdi/KeyboardLine.h"
#include "ftdi/Pause.h"

namespace FTDI {

void TextSender::TypeIdentifier(const UserArea& userArea, const std::string& identifier) {
    TypeText(BuildLine(userArea, FormatMediaId(identifier, userArea.mediaIdFormat)));
}

void TextSender::ProcessMagneticRecord(const UserArea& userArea, const std::string& piece) {
    if (userArea.sendToKeyboard != 1)
        return;
    if (const auto data = MagneticRecordData(userArea, piece))
        TypeText(BuildLine(userArea, data->text, data->track2));
}

void TextSender::TypeText(const std::string& line) {
    if (settings_.clickBefore.load() != 0) {
        ClickAt(settings_.clickBeforeX.load(), settings_.clickBeforeY.load());
        Pause(10);
    }
    if (output_.HasFocusedWindow())
        SendText(line);
    if (settings_.clickAfter.load() != 0) {
        Pause(1);
        ClickAt(settings_.clickAfterX.load(), settings_.clickAfterY.load());
    }
}

void TextSender::SendText(const std::string& line) {
    for (const char c : line) {
        if (c == '\n')
            output_.PressEnter();
        else
            output_.TypeCharacter(static_cast<char32_t>(static_cast<unsigned char>(c)));
        Pause(settings_.intercharacterDelay.load());
    }
    output_.LineDone();
}

void TextSender::ClickAt(int x, int y) {
    output_.ClickAt(x, y);
}

void TextSender::Pause(int milliseconds) {
    if (milliseconds > 0)
        PauseFor(std::chrono::milliseconds(milliseconds), stop_);
}

} // namespace FTDI
