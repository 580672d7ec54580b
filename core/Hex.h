#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace vantix {

// Upper-case hex of bytes, and back: FromHex takes exactly 2 * size digits
// of either case and is false on anything else.
std::string ToHex(const std::uint8_t* data, std::size_t size);
bool FromHex(const std::string& hex, std::uint8_t* out, std::size_t size);

} // namespace vantix
