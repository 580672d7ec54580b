#pragma once
#include <stdexcept>
#include <string>

namespace FTDI {

// The device link's one error type; commands that call the link catch it and
// show its text to the user. A std::runtime_error, so code that knows only
// the standard exceptions still sees its text.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message), message_(message) {}
    const std::string& Message() const { return message_; }

private:
    std::string message_; // what() as a std::string, for the callers that want one
};

} // namespace FTDI
