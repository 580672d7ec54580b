#pragma once
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "platform/input/KeyboardOutput.h"

namespace FTDI {

// Keeps every stroke and click instead of sending it; for tests and for
// reporting what was typed. Characters it is told to refuse are not sent and
// are reported by LineDone, as a keyboard layout without them would.
class RecordingKeyboardOutput : public KeyboardOutput {
public:
    struct Click {
        int x;
        int y;
    };
    // One recorded action: a character ('\n' for Enter) or a click.
    struct Action {
        bool click = false;
        char32_t character = 0;
        Click at{};
        std::chrono::steady_clock::time_point when;
    };

    void SetFocus(FocusTarget focus) {
        std::lock_guard lock(mutex_);
        focus_ = focus;
    }
    void SetUntypeable(std::u32string characters) {
        std::lock_guard lock(mutex_);
        untypeable_ = std::move(characters);
    }

    FocusTarget Focus() override {
        std::lock_guard lock(mutex_);
        return focus_;
    }
    bool TypeCharacter(char32_t character) override { return Record({false, character, {}, Now()}); }
    bool PressEnter() override { return Record({false, U'\n', {}, Now()}); }
    void ClickAt(int x, int y) override { Record({true, 0, {x, y}, Now()}); }
    std::string LineDone() override {
        std::lock_guard lock(mutex_);
        lines_.push_back(current_);
        current_.clear();
        return std::exchange(problem_, {});
    }

    // Every character typed so far, Enter as '\n'.
    std::u32string Typed() const {
        std::lock_guard lock(mutex_);
        std::u32string text;
        for (const auto& a : actions_)
            if (!a.click)
                text += a.character;
        return text;
    }
    // The completed lines, in order.
    std::vector<std::u32string> Lines() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    std::vector<Action> Actions() const {
        std::lock_guard lock(mutex_);
        return actions_;
    }

private:
    static std::chrono::steady_clock::time_point Now() { return std::chrono::steady_clock::now(); }
    bool Record(const Action& action) {
        std::lock_guard lock(mutex_);
        if (!action.click && untypeable_.find(action.character) != std::u32string::npos) {
            char text[32];
            std::snprintf(text, sizeof text, "%sU+%04X", problem_.empty() ? "cannot type " : ", ",
                          static_cast<unsigned>(action.character));
            problem_ += text;
            return false;
        }
        actions_.push_back(action);
        if (!action.click)
            current_ += action.character;
        return true;
    }

    mutable std::mutex mutex_;
    FocusTarget focus_ = FocusTarget::OtherWindow;
    std::u32string untypeable_;
    std::string problem_;
    std::vector<Action> actions_;
    std::u32string current_;
    std::vector<std::u32string> lines_;
};

} // namespace FTDI
