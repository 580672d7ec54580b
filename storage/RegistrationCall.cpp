#include "storage/RegistrationCall.h"

#include <strings.h>

#include "settings/IniKeys.h"
#include "storage/C_RegFile.h"

namespace vantix {

namespace {

std::string BuildCall(CallSyntax syntax, bool backslashEscapes, std::string_view mediaId, std::string_view date,
                      std::string_view dateTime, const std::string& id, const std::string& code) {
    std::string args = QuoteSqlText(mediaId, backslashEscapes);
    args += ", ";
    args += QuoteSqlText(date, backslashEscapes);
    args += ", ";
    args += QuoteSqlText(dateTime, backslashEscapes);
    args += ", '999', ";
    args += id;
    args += ", ";
    args += code;
    return syntax == CallSyntax::Exec ? "exec spVantixReg " + args : "CALL spVantixReg(" + args + ")";
}

} // namespace

bool ParseCallSyntax(std::string_view name, CallSyntax& syntax) {
    const std::string text(name);
    if (::strcasecmp(text.c_str(), "exec") == 0) {
        syntax = CallSyntax::Exec;
        return true;
    }
    if (::strcasecmp(text.c_str(), "call") == 0) {
        syntax = CallSyntax::Call;
        return true;
    }
    return false;
}

CallSyntax CallSyntaxFrom(const Configuration& config) {
    CallSyntax syntax = CallSyntax::Exec;
    ParseCallSyntax(config.Get(ini::CallSyntax), syntax);
    return syntax;
}

std::string QuoteSqlText(std::string_view value, bool backslashEscapes) {
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted += '\'';
    for (char c : C_RegFile::SafeField(value)) {
        if (c == '\'' || (c == '\\' && backslashEscapes)) quoted += c;
        quoted += c;
    }
    quoted += '\'';
    return quoted;
}

std::string LiveRegistrationCall(const FTDI::MessageRegistration& r, CallSyntax syntax, bool backslashEscapes) {
    return BuildCall(syntax, backslashEscapes, r.mediaId, r.date, r.dateTime, std::to_string(r.id),
                     std::to_string(r.ec));
}

std::string ImportRegistrationCall(const RegistrationFields& f, CallSyntax syntax, bool backslashEscapes) {
    return BuildCall(syntax, backslashEscapes, f.mediaId, f.date, f.dateTime, QuoteSqlText(f.id, backslashEscapes),
                     QuoteSqlText(f.code, backslashEscapes));
}

} // namespace vantix
