#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantix {

// What the ODBC driver manager has installed.
struct OdbcSource {
    std::string name;
    std::string description;
};
std::vector<OdbcSource> ListOdbcDrivers();
std::vector<OdbcSource> ListOdbcDataSources();

// One key=value pair of a connection string.
using ConnectionPair = std::pair<std::string, std::string>;

// Splits "Driver={PostgreSQL Unicode};Server=db;..." into pairs, in order.
// Braced values keep their semicolons ("}}" inside braces is one "}").
std::vector<ConnectionPair> SplitConnectionString(const std::string& text);
// The reverse: values that need it are put in braces.
std::string JoinConnectionString(const std::vector<ConnectionPair>& pairs);

// `text` (a connection string, or a message that holds one) with the value
// of every Pwd= and Password= key, in any case and braced or not, replaced
// by "***". For every text that is shown, logged or printed.
std::string MaskPasswords(std::string_view text);

} // namespace vantix
