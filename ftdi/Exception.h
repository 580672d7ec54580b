#pragma once
#include <string>

namespace FTDI {

// The device link's one error type; commands that call the link catch it and
// show its text to the user.
class Exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    virtual ~Exception() = default;
    const std::string& Message() const { return message_; }

private:
    std::string message_;
};

} // namespace FTDI
