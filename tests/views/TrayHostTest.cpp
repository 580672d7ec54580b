// The tray icon against a real tray host: Xvfb with trayer, and the probe
// program putting up the icon (TrayProbe.cpp).
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "tests/support/Wait.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

bool OnPath(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// A child process that is ended when the object goes; optionally with its
// stdout connected to us.
class Child {
public:
    Child(std::vector<std::string> argv, bool piped) {
        int out[2] = {-1, -1};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (piped) {
            if (pipe(out) != 0)
                throw std::runtime_error("pipe failed");
            posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
            posix_spawn_file_actions_addclose(&actions, out[0]);
        } else {
            posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        }
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        std::vector<char*> args;
        for (std::string& a : argv)
            args.push_back(a.data());
        args.push_back(nullptr);
        const int rc = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (piped) {
            close(out[1]);
            fromChild_ = out[0];
        }
        if (rc != 0)
            throw std::runtime_error("cannot start " + argv[0]);
    }
    ~Child() {
        if (fromChild_ >= 0)
            close(fromChild_);
        Stop();
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    void Stop() {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

    // Reads lines until one starts with prefix; that line, or nothing after ms.
    std::optional<std::string> WaitForLine(const std::string& prefix, int ms) {
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        while (Clock::now() < end) {
            for (auto nl = buffer_.find('\n'); nl != std::string::npos; nl = buffer_.find('\n')) {
                std::string line = buffer_.substr(0, nl);
                buffer_.erase(0, nl + 1);
                if (line.rfind(prefix, 0) == 0)
                    return line;
            }
            pollfd p{fromChild_, POLLIN, 0};
            const int left = static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count());
            if (poll(&p, 1, std::max(left, 1)) <= 0)
                continue;
            char chunk[512];
            const ssize_t n = read(fromChild_, chunk, sizeof chunk);
            if (n <= 0)
                return std::nullopt;
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
        return std::nullopt;
    }

private:
    pid_t pid_ = -1;
    int fromChild_ = -1;
    std::string buffer_;
};

int FreeDisplay() {
    for (int n = 90; n < 140; ++n)
        if (!std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock") &&
            !std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n)))
            return n;
    return -1;
}

std::unique_ptr<Child> StartTrayer() {
    return std::make_unique<Child>(std::vector<std::string>{"trayer", "--edge", "top", "--align", "right",
                                                            "--widthtype", "pixel", "--width", "100",
                                                            "--height", "24"},
                                   false);
}

} // namespace

TEST(TrayHost, IconAppearsWithTheHostReturnsAfterItsRestartAndDoubleClickRestores) {
    if (!OnPath("Xvfb") || !OnPath("trayer") || !OnPath("xdotool"))
        GTEST_SKIP() << "needs Xvfb, trayer and xdotool";
    const int display = FreeDisplay();
    ASSERT_GT(display, 0);
    const std::string name = ":" + std::to_string(display);
    Child xvfb({"Xvfb", name, "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, false);
    vantix::test::WaitFor([&] { return std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(display)); },
                          std::chrono::seconds(10));
    setenv("DISPLAY", name.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);

    const std::string probePath = std::string(std::getenv("VANTIX_BIN_DIR")) + "/views_tray_probe";
    Child probe({probePath}, true);
    ASSERT_TRUE(probe.WaitForLine("tray 0 ", 5000)) << "no tray host yet";

    auto trayer = StartTrayer();
    const auto shown = probe.WaitForLine("tray 1 22x22", 8000);
    ASSERT_TRUE(shown) << "the icon appears once a tray host starts";

    int w = 0, h = 0, x = 0, y = 0;
    ASSERT_EQ(std::sscanf(shown->c_str(), "tray 1 %dx%d+%d+%d", &w, &h, &x, &y), 4);
    const std::string click = "xdotool mousemove " + std::to_string(x + w / 2) + " " + std::to_string(y + h / 2) +
                              " click --repeat 2 --delay 80 1";
    ASSERT_EQ(std::system(click.c_str()), 0);
    const auto command = probe.WaitForLine("cmd ", 5000);
    ASSERT_TRUE(command);
    EXPECT_EQ(*command, "cmd 32771");

    trayer->Stop();
    ASSERT_TRUE(probe.WaitForLine("tray 0 ", 5000));
    trayer = StartTrayer();
    EXPECT_TRUE(probe.WaitForLine("tray 1 22x22", 8000)) << "the icon comes back with the host";
}
