// The simulator's control channel: the bytes one client sends, in pieces of
// any size, through the connection's line handling and the command parser
// and dispatcher, over an in-process simulator; the client reads its
// replies a little at a time. Small limits let the fuzzer reach them.
// Invariants:
// - no crash, no undefined behaviour;
// - every command line gets exactly one reply, in order: a line "ok ..." or
//   "error ...", and for "list" "ok N" followed by N reader lines;
// - a broken limit ends the session with one "error ..." reply after the
//   replies of the commands carried out; no later command is carried out;
// - the replies waiting never grow past the limit by more than one reply.
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "platform/d2xx/sim/SimControlServer.h"

using namespace FTDI;

namespace {

constexpr SimControlLimits Limits{200, 600};

// The command lines a client sent, as the server cuts them.
std::vector<std::string> CommandLines(std::string_view stream) {
    std::vector<std::string> lines;
    while (!stream.empty()) {
        const std::size_t end = stream.find('\n');
        std::string_view line = stream.substr(0, end);
        stream.remove_prefix(end == std::string_view::npos ? stream.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.find_first_not_of(" \t") != std::string_view::npos)
            lines.emplace_back(line);
    }
    return lines;
}

std::string FirstWord(const std::string& line) {
    std::istringstream in(line);
    std::string word;
    in >> word;
    return word;
}

bool StartsWith(const std::string& text, std::string_view prefix) { return text.rfind(prefix, 0) == 0; }

// Chunk sizes and read sizes from a small generator seeded by the input.
class Steps {
public:
    explicit Steps(std::uint32_t seed) : state_(seed | 1) {}
    std::size_t Next(std::size_t bound) {
        state_ = state_ * 1103515245u + 12345u;
        return bound == 0 ? 0 : (state_ >> 8) % bound;
    }

private:
    std::uint32_t state_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    Steps steps(data[0] | (data[1] << 8));
    const std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);

    SimulatedD2xx sim;
    SimCommands commands(sim);
    SimControlSession session(commands, Limits);
    std::string received;
    std::size_t largestReply = 0;
    auto read = [&](std::size_t count) {
        received.append(session.Output(), 0, count);
        session.Sent(count);
    };
    for (std::size_t at = 0; at < input.size();) {
        const std::size_t chunk = 1 + steps.Next(std::min<std::size_t>(input.size() - at, 300));
        const std::size_t before = session.Output().size();
        session.Receive(input.substr(at, chunk));
        at += chunk;
        largestReply = std::max(largestReply, session.Output().size() - before);
        VANTIX_FUZZ_CHECK(session.Output().size() <= Limits.pendingOutput + largestReply,
                          "waiting replies stay within the limit and one chunk's replies");
        read(steps.Next(session.Output().size() + 1));
    }
    session.EndOfInput();
    read(session.Output().size());
    const bool aborted = session.GetState() == SimControlSession::State::Closing;

    VANTIX_FUZZ_CHECK(received.empty() || received.back() == '\n', "the last reply is whole");
    if (aborted) {
        // The reason is the last line.
        const std::size_t last = received.rfind('\n', received.size() - 2) + 1; // npos + 1 == 0
        VANTIX_FUZZ_CHECK(StartsWith(received.substr(last), "error "), "a broken limit is reported last");
        received.erase(last);
    }
    const std::vector<std::string> sent = CommandLines(input);
    std::istringstream replies(received);
    std::size_t answered = 0;
    for (std::string line; std::getline(replies, line); ++answered) {
        VANTIX_FUZZ_CHECK(answered < sent.size(), "no reply without a command");
        const bool ok = line == "ok" || StartsWith(line, "ok ");
        VANTIX_FUZZ_CHECK(ok || StartsWith(line, "error "), "a reply is ok or error");
        if (!ok || FirstWord(sent[answered]) != "list")
            continue;
        const unsigned long readers = std::stoul(line.substr(3));
        for (unsigned long i = 0; i < readers; ++i) {
            std::string reader;
            VANTIX_FUZZ_CHECK(static_cast<bool>(std::getline(replies, reader)), "list gives as many lines as it says");
            std::istringstream fields(reader);
            std::string serial, area, waiting;
            VANTIX_FUZZ_CHECK(static_cast<bool>(fields >> serial >> area >> waiting) && area.size() == 32,
                              "a reader line is SERIAL USERAREA WAITING DESCRIPTION");
        }
    }
    if (aborted)
        VANTIX_FUZZ_CHECK(answered < sent.size(), "the command that broke a limit is not answered");
    else
        VANTIX_FUZZ_CHECK(answered == sent.size(), "every command line gets exactly one reply");
    return 0;
}
