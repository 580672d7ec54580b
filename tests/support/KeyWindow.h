#pragma once
#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <sys/types.h>
#include <vector>

namespace vantix::test {

// A plain X window on a connection of its own that takes the keyboard focus
// and reads back what reaches it, the way an ordinary client does: each key
// is looked up with the key map and modifier state at the moment the client
// gets round to it.
class KeyWindow {
public:
    // One key press as the window saw it.
    struct Key {
        unsigned long keysym = 0;
        unsigned state = 0; // modifier and group bits of the event
    };

    explicit KeyWindow(const std::string& display);
    ~KeyWindow();

    // Gives the window the _NET_WM_PID and WM_CLIENT_MACHINE a toolkit sets.
    void SetOwnerProcess(pid_t pid, const std::string& host);

    // The text received until `lines` Enter keys (as '\n') have arrived or
    // the deadline has passed. Keys that are not characters come as U+FFFD.
    std::u32string ReadLines(int lines, std::chrono::milliseconds timeout);
    // Every key press read so far, modifier keys included.
    const std::vector<Key>& Keys() const { return keys_; }
    // The screen positions of the button presses read so far.
    const std::vector<std::pair<int, int>>& Clicks() const { return clicks_; }

private:
    struct Connection;
    std::unique_ptr<Connection> x_;
    std::vector<Key> keys_;
    std::vector<std::pair<int, int>> clicks_;
};

} // namespace vantix::test
