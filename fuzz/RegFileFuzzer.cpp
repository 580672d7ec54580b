// The registration file as the import reads it, and the statements the
// import makes of it.
// Invariants:
// - no crash, no undefined behaviour, whatever the bytes;
// - a line handed out is never longer than the reader's limit;
// - a line written for a registration always has exactly 7 fields, whatever
//   its fields hold, and reads back as a registration line with them;
// - every statement keeps its shape: the call, then six arguments of which
//   the quoted ones are single literals with nothing after their end, in
//   both call forms, with and without backslash escapes;
// - the text handed to the database is valid UTF-8.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/Text.h"
#include "storage/C_RegFile.h"
#include "storage/RegFileReader.h"
#include "storage/RegistrationCall.h"
#include "fuzz/FuzzCheck.h"

namespace {

// Splits the arguments of a call; false when a literal is not closed or
// something other than ", " follows one.
bool SplitArguments(std::string_view args, bool backslashEscapes, std::vector<std::string>& out) {
    size_t at = 0;
    while (at < args.size()) {
        std::string argument;
        if (args[at] == '\'') {
            argument += args[at++];
            bool closed = false;
            while (at < args.size() && !closed) {
                const char c = args[at++];
                argument += c;
                if (c == '\\' && backslashEscapes) {
                    if (at == args.size()) return false;
                    argument += args[at++];
                } else if (c == '\'') {
                    if (at < args.size() && args[at] == '\'')
                        argument += args[at++];
                    else
                        closed = true;
                }
            }
            if (!closed) return false;
        } else {
            while (at < args.size() && args[at] != ',') argument += args[at++];
        }
        out.push_back(argument);
        if (at == args.size()) break;
        if (args.substr(at, 2) != ", ") return false;
        at += 2;
    }
    return true;
}

void CheckShape(const std::string& statement, vantix::CallSyntax syntax, bool backslashEscapes) {
    VANTIX_FUZZ_CHECK(statement.find_first_of(std::string("\r\n\0", 3)) == std::string::npos,
                      "no line break or NUL in a statement");
    std::string_view args = statement;
    if (syntax == vantix::CallSyntax::Exec) {
        VANTIX_FUZZ_CHECK(args.rfind("exec spVantixReg ", 0) == 0, "the exec form");
        args.remove_prefix(17);
    } else {
        VANTIX_FUZZ_CHECK(args.rfind("CALL spVantixReg(", 0) == 0 && args.back() == ')', "the CALL form");
        args = args.substr(17, args.size() - 18);
    }
    std::vector<std::string> split;
    VANTIX_FUZZ_CHECK(SplitArguments(args, backslashEscapes, split), "literals close where they should");
    VANTIX_FUZZ_CHECK(split.size() == 6, "six arguments");
    VANTIX_FUZZ_CHECK(split[3] == "'999'", "the constant stays in its place");
}

bool IsUtf8(std::string_view t) { return vantix::AnsiToUtf8(t) == t; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/vantix-regfile-fuzz-" + std::to_string(::getpid()) + ".vtxreg";
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    vantix::RegFileReader reader;
    if (!reader.Open(path)) return 0;
    std::string_view line;
    vantix::RegistrationFields fields;
    while (reader.NextLine(line)) {
        VANTIX_FUZZ_CHECK(line.size() <= vantix::RegFileReader::kMaxLineLength + 1, "bounded lines");
        const std::string text = vantix::AnsiToUtf8(line);
        VANTIX_FUZZ_CHECK(IsUtf8(text), "UTF-8 for the database");

        // Any line's pieces as the fields of a registration: always 7 fields.
        FTDI::MessageRegistration r;
        r.mediaId = text.substr(0, text.size() / 3);
        r.dateTime = "2" + text.substr(text.size() / 3, text.size() / 3);
        r.date = "2";
        r.time = text.substr(2 * (text.size() / 3));
        r.idText = "1" + r.time;
        r.ecText = "1";
        r.serialNumber = text;
        const std::string written = vantix::C_RegFile::FormatLine(r);
        VANTIX_FUZZ_CHECK(std::count(written.begin(), written.end(), ',') == 6, "seven fields");
        VANTIX_FUZZ_CHECK(written.find_first_of(std::string("\r\n\0", 3)) == std::string::npos, "one line");
        vantix::RegistrationFields back;
        VANTIX_FUZZ_CHECK(vantix::ParseRegistrationLine(written, back), "a registration line");
        VANTIX_FUZZ_CHECK(back.mediaId == vantix::C_RegFile::SafeField(r.mediaId), "fields read back");

        if (!vantix::ParseRegistrationLine(text, fields)) continue;
        for (const auto syntax : {vantix::CallSyntax::Exec, vantix::CallSyntax::Call})
            for (const bool escapes : {false, true})
                CheckShape(vantix::ImportRegistrationCall(fields, syntax, escapes), syntax, escapes);
    }
    return 0;
}
