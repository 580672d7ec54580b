#include "platform/system/Console.h"

#include <iostream>

namespace vantix {

std::optional<std::string> ReadInputLine() {
    std::string line;
    if (!std::getline(std::cin, line))
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

} // namespace vantix
