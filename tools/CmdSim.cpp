#include <iostream>

#include "platform/d2xx/sim/SimClient.h"
#include "platform/d2xx/sim/SimControlServer.h"
#include "platform/system/Console.h"
#include "tools/Commands.h"

namespace vantixctl {

namespace {

int Usage() {
    std::cerr << "usage: vantixctl sim [--socket PATH] serve | COMMAND...\n"
                 "  commands: plug SERIAL DESCRIPTION... [ua=HEX32], unplug SERIAL, card SERIAL ID [instant],\n"
                 "            inject SERIAL HEX [instant], stray SERIAL COUNT, line SERIAL [baud=RATE] [latency=MS],\n"
                 "            fail CALL [STATUS], list, written SERIAL, ua SERIAL [HEX32]\n";
    return ExitUsage;
}

// Runs a simulator in the foreground until Ctrl-C or SIGTERM.
int Serve(const std::string& path) {
    // Before the server thread starts, so only the wait below sees them.
    vantix::StopRequests stopRequests;
    const auto sim = FTDI::CreateServedSimulator(path);
    if (!sim) {
        std::cerr << "vantixctl sim serve: " << sim.error() << "\n";
        return ExitRefused;
    }
    std::cout << "serving simulated readers on " << path << std::endl;
    stopRequests.Wait();
    return ExitOk;
}

} // namespace

int RunSim(const Args& args) {
    std::size_t i = 0;
    std::string path = FTDI::DefaultSimSocketPath();
    if (i + 1 < args.size() && args[i] == "--socket") {
        path = args[i + 1];
        i += 2;
    }
    if (i >= args.size())
        return Usage();
    if (args[i] == "serve")
        return i + 1 == args.size() ? Serve(path) : Usage();
    std::string command;
    for (; i < args.size(); ++i)
        command += (command.empty() ? "" : " ") + args[i];
    const vantix::Result<std::string> reply = FTDI::SimRequest(path, command);
    if (!reply) {
        std::cerr << "vantixctl sim: " << reply.error() << "\n";
        return ExitRefused;
    }
    if (reply->rfind("ok", 0) != 0) {
        std::cerr << "vantixctl sim: " << *reply << "\n";
        return ExitRefused;
    }
    std::cout << *reply << "\n";
    return ExitOk;
}

} // namespace vantixctl
