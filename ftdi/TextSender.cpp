#include "ftdi/TextSender.h"

#include "core/Trace.h"
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
    const FocusTarget focus = output_.Focus();
    if (focus == FocusTarget::OwnWindow) {
        if (!ownWindowReported_)
            Report({TypingProblem::Kind::OwnWindowFocused, {}});
        ownWindowReported_ = true;
    } else {
        ownWindowReported_ = false;
        if (focus == FocusTarget::OtherWindow)
            SendText(line);
    }
    if (settings_.clickAfter.load() != 0) {
        Pause(1);
        ClickAt(settings_.clickAfterX.load(), settings_.clickAfterY.load());
    }
}

void TextSender::SendText(const std::string& line) {
    if (output_.BeginLine()) {
        for (const char c : line) {
            if (c == '\n')
                output_.PressEnter();
            else
                output_.TypeCharacter(static_cast<char32_t>(static_cast<unsigned char>(c)));
            Pause(settings_.intercharacterDelay.load());
        }
    }
    if (std::string problem = output_.LineDone(); !problem.empty())
        Report({TypingProblem::Kind::LineIncomplete, std::move(problem)});
}

void TextSender::ClickAt(int x, int y) {
    output_.ClickAt(x, y);
}

void TextSender::Pause(int milliseconds) {
    if (milliseconds > 0)
        PauseFor(std::chrono::milliseconds(milliseconds), stop_);
}

void TextSender::Report(TypingProblem problem) {
    vantix::Trace(problem.kind == TypingProblem::Kind::OwnWindowFocused
              ? std::string("Not typed: a window of this program has the keyboard focus\n")
              : "Not typed in full: " + problem.detail + "\n");
    if (report_)
        report_(problem);
}

} // namespace FTDI
