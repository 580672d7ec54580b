#pragma once
#include <string>
#include <string_view>

#include "settings/Configuration.h"
#include "storage/RegFileReader.h"
#include "ftdi/Messages.h"

namespace vantix {

// How the stored procedure is called. SQL Server knows "exec"; PostgreSQL and
// MariaDB only "CALL name(...)". Chosen by the INI key
// [Settings] CallSyntax = exec | call (default exec).
enum class CallSyntax { Exec, Call };

// "exec" or "call" (any case); anything else gives false.
bool ParseCallSyntax(std::string_view name, CallSyntax& syntax);
// The form the configuration selects; "exec" when it names neither.
CallSyntax CallSyntaxFrom(const Configuration& config);

// A value between single quotes with every quote doubled, so that no value
// can end the literal early. The characters a registration line cannot
// hold (',', CR, LF, NUL) are replaced as in the file. `backslashEscapes`:
// the server reads '\' as an escape (MariaDB, MySQL), so it is doubled too.
std::string QuoteSqlText(std::string_view value, bool backslashEscapes = false);

// The call for a registration as it is read:
// exec spVantixReg '<mediaId>', '<date>', '<dateTime>', '999', <id>, <ec>
std::string LiveRegistrationCall(const FTDI::MessageRegistration& registration, CallSyntax syntax,
                                 bool backslashEscapes = false);

// The call for a line of a registration file, every value as quoted text:
// exec spVantixReg '<mediaId>', '<date>', '<dateTime>', '999', '<id>', '<code>'
std::string ImportRegistrationCall(const RegistrationFields& fields, CallSyntax syntax,
                                   bool backslashEscapes = false);

} // namespace vantix
