#pragma once
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "platform/input/KeyboardOutput.h"

namespace FTDI {

// Keeps every stroke and click instead of sending it; for tests and for
// reporting what was typed.
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

    void SetFocusedWindow(bool focused) {
        std::lock_guard lock(mutex_);
        focused_ = focused;
    }

    bool HasFocusedWindow() override {
        std::lock_guard lock(mutex_);
        return focused_;
    }
    void TypeCharacter(char32_t character) override { Record({false, character, {}, Now()}); }
    void PressEnter() override { Record({false, U'\n', {}, Now()}); }
    void ClickAt(int x, int y) override { Record({true, 0, {x, y}, Now()}); }
    void LineDone() override {
        std::lock_guard lock(mutex_);
        lines_.push_back(current_);
        current_.clear();
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
    void Record(const Action& action) {
        std::lock_guard lock(mutex_);
        actions_.push_back(action);
        if (!action.click)
            current_ += action.character;
    }

    mutable std::mutex mutex_;
    bool focused_ = true;
    std::vector<Action> actions_;
    std::u32string current_;
    std::vector<std::u32string> lines_;
};

} // namespace FTDI
