#include "platform/d2xx/sim/SimControlServer.h"

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "core/Trace.h"

namespace FTDI {

namespace {

constexpr std::size_t ReadChunk = 4096; // per client and round, so every client gets its turn
constexpr std::chrono::milliseconds FirstBackOff{50};
constexpr std::chrono::milliseconds LongestBackOff{1000};

} // namespace

void SimControlSession::Receive(std::string_view bytes) {
    if (state_ != State::Open)
        return;
    input_.append(bytes);
    std::size_t start = 0;
    for (std::size_t end; state_ == State::Open && (end = input_.find('\n', start)) != std::string::npos;
         start = end + 1) {
        if (end - start > limits_.line)
            break;
        Answer(input_.substr(start, end - start));
    }
    // What is left is one line: unfinished, or too long.
    if (state_ == State::Open && input_.size() - start > limits_.line)
        Abort("line too long (at most " + std::to_string(limits_.line) + " bytes)");
    if (state_ == State::Open)
        input_.erase(0, start);
    else
        input_.clear();
}

void SimControlSession::EndOfInput() {
    if (state_ != State::Open)
        return;
    if (!input_.empty())
        Answer(std::exchange(input_, {}));
    if (state_ == State::Open)
        state_ = State::Draining;
}

void SimControlSession::Sent(std::size_t count) { output_.erase(0, count); }

void SimControlSession::Answer(const std::string& text) {
    std::string_view line = text;
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.find_first_not_of(" \t") == std::string_view::npos)
        return;
    if (output_.size() >= limits_.pendingOutput) {
        Abort("too many replies waiting (read them before sending more commands)");
        return;
    }
    output_ += commands_.Execute(std::string(line)) + "\n";
}

void SimControlSession::Abort(const std::string& reason) {
    state_ = State::Closing;
    output_ += "error " + reason + "\n";
}

struct SimControlServer::Client {
    Client(ControlSocket accepted, SimCommands& commands, std::chrono::steady_clock::time_point now)
        : socket(std::move(accepted)), session(commands), lastProgress(now) {}
    ControlSocket socket;
    SimControlSession session;
    // When a reply last went out, or began to wait.
    std::chrono::steady_clock::time_point lastProgress;
};

SimControlServer::SimControlServer(SimulatedD2xx& sim) : commands_(sim) {}

SimControlServer::~SimControlServer() {
    if (thread_.joinable()) {
        poller_.Wake();
        thread_.join();
    }
}

vantix::Result<void> SimControlServer::Start(const std::string& path) {
    if (thread_.joinable())
        return vantix::Fail("the control channel is already open on " + path_);
    if (auto listening = listener_.Listen(path); !listening)
        return listening;
    if (auto opened = poller_.Open(); !opened)
        return opened;
    path_ = path;
    thread_ = std::thread(&SimControlServer::Serve, this);
    return {};
}

void SimControlServer::Serve() {
    using Clock = std::chrono::steady_clock;
    std::vector<ControlPoller::Entry> entries;
    for (;;) {
        const Clock::time_point now = Clock::now();
        const bool accepting = now >= acceptPausedUntil_;
        Clock::time_point wakeAt = accepting ? Clock::time_point::max() : acceptPausedUntil_;
        entries.assign(1, {accepting ? &listener_.Socket() : nullptr, true});
        for (const auto& client : clients_) {
            ControlPoller::Entry entry{&client->socket, client->session.GetState() == SimControlSession::State::Open};
            if (!client->session.Output().empty()) {
                entry.write = true;
                wakeAt = std::min(wakeAt, client->lastProgress + StallTimeout);
            }
            entries.push_back(entry);
        }
        int timeout = -1;
        if (wakeAt != Clock::time_point::max())
            timeout = static_cast<int>(
                std::max<Clock::rep>(0, std::chrono::ceil<std::chrono::milliseconds>(wakeAt - now).count()));
        const vantix::Result<bool> woken = poller_.Wait(entries, timeout);
        if (!woken) {
            vantix::Trace("sim control: " + woken.error() + ", the channel stops");
            return;
        }
        if (*woken)
            return;
        const Clock::time_point after = Clock::now();
        std::size_t kept = 0;
        for (std::size_t i = 0; i < clients_.size(); ++i) {
            if (!Service(*clients_[i], entries[i + 1], after))
                continue;
            if (kept != i)
                clients_[kept] = std::move(clients_[i]);
            ++kept;
        }
        if (kept < clients_.size()) {
            clients_.resize(kept);
            acceptPausedUntil_ = {}; // descriptors were freed
        }
        if (entries[0].readable)
            Accept(after);
    }
}

void SimControlServer::Accept(std::chrono::steady_clock::time_point now) {
    bool outOfDescriptors = false;
    ControlSocket accepted = listener_.Accept(outOfDescriptors);
    if (!accepted) {
        // The connection waits in the backlog; trying again at once would
        // only spin until a descriptor is free.
        if (outOfDescriptors) {
            if (acceptBackOff_.count() == 0)
                vantix::Trace("sim control: cannot accept a client, waiting for a free descriptor");
            acceptBackOff_ = std::min(acceptBackOff_.count() == 0 ? FirstBackOff : 2 * acceptBackOff_, LongestBackOff);
            acceptPausedUntil_ = now + acceptBackOff_;
        }
        return;
    }
    acceptBackOff_ = {};
    if (clients_.size() >= MaxClients) {
        const std::string refusal = "error too many clients (at most " + std::to_string(MaxClients) + ")\n";
        Send(accepted, refusal.data(), refusal.size());
        return;
    }
    clients_.push_back(std::make_unique<Client>(std::move(accepted), commands_, now));
}

bool SimControlServer::Service(Client& client, const ControlPoller::Entry& events,
                               std::chrono::steady_clock::time_point now) {
    SimControlSession& session = client.session;
    if (events.invalid)
        return false;
    if ((events.readable || events.hangUp) && session.GetState() == SimControlSession::State::Open) {
        const bool waited = !session.Output().empty();
        char buffer[ReadChunk];
        const Transfer got = Receive(client.socket, buffer, sizeof buffer);
        if (got.status == Transfer::Moved)
            session.Receive({buffer, got.count});
        else if (got.status == Transfer::Closed)
            session.EndOfInput();
        else if (got.status != Transfer::WouldBlock)
            return false;
        if (!waited)
            client.lastProgress = now;
    }
    while (!session.Output().empty()) {
        const std::string& output = session.Output();
        const Transfer sent = Send(client.socket, output.data(), output.size());
        if (sent.status == Transfer::Moved && sent.count > 0) {
            session.Sent(sent.count);
            client.lastProgress = now;
            continue;
        }
        if (sent.status == Transfer::WouldBlock)
            break;
        return false; // the client is gone
    }
    if (session.Output().empty())
        return session.GetState() == SimControlSession::State::Open;
    return now - client.lastProgress < StallTimeout;
}

vantix::Result<std::unique_ptr<ServedSimulatedD2xx>> CreateServedSimulator(const std::string& path) {
    std::vector<SimReader> readers;
    if (const char* text = std::getenv("VANTIX_SIM_READERS")) {
        auto parsed = ParseSimReaders(text);
        if (!parsed)
            return vantix::Fail("VANTIX_SIM_READERS: " + parsed.error());
        readers = std::move(parsed).value();
    }
    auto sim = std::make_unique<ServedSimulatedD2xx>();
    for (const auto& reader : readers)
        sim->Plug(reader.serial, reader.description, reader.userArea);
    if (auto started = sim->Start(path); !started)
        return vantix::Fail(started.error());
    return sim;
}

} // namespace FTDI
