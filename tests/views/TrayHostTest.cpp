// The tray icon against a real tray host: Xvfb with trayer, and the probe
// program putting up the icon (TrayProbe.cpp).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"
#include "tests/support/XServer.h"

namespace {

using vantix::test::ChildProcess;
using vantix::test::OnPath;

// The probe's output lines, read from its log one at a time.
class ProbeLines {
public:
    explicit ProbeLines(std::string log) : log_(std::move(log)) {}
    // The next line that starts with prefix, or nothing after ms.
    std::optional<std::string> WaitForLine(const std::string& prefix, int ms) {
        std::optional<std::string> found;
        vantix::test::WaitFor(
            [&] {
                const std::string text = vantix::test::ReadFile(log_);
                for (auto nl = text.find('\n', read_); nl != std::string::npos; nl = text.find('\n', read_)) {
                    std::string line = text.substr(read_, nl - read_);
                    read_ = nl + 1;
                    if (line.rfind(prefix, 0) == 0)
                        return (found = line).has_value();
                }
                return false;
            },
            std::chrono::milliseconds(ms));
        return found;
    }

private:
    std::string log_;
    std::size_t read_ = 0;
};

} // namespace

TEST(TrayHost, IconAppearsWithTheHostReturnsAfterItsRestartAndDoubleClickRestores) {
    if (!OnPath("Xvfb") || !OnPath("trayer") || !OnPath("xdotool"))
        GTEST_SKIP() << "needs Xvfb, trayer and xdotool";
    vantix::test::XServer server;
    setenv("DISPLAY", server.Display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    vantix::test::TempDir dir;
    const auto startTrayer = [&] {
        return std::make_unique<ChildProcess>(
            std::vector<std::string>{"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel",
                                     "--width", "100", "--height", "24"},
            std::map<std::string, std::string>{}, dir.File("trayer.log"));
    };

    const std::string probePath = std::string(std::getenv("VANTIX_BIN_DIR")) + "/views_tray_probe";
    ChildProcess probeProcess({probePath}, {}, dir.File("probe.log"));
    ProbeLines probe(dir.File("probe.log"));
    ASSERT_TRUE(probe.WaitForLine("tray 0 ", 5000)) << "no tray host yet";

    auto trayer = startTrayer();
    const auto shown = probe.WaitForLine("tray 1 22x22", 8000);
    ASSERT_TRUE(shown) << "the icon appears once a tray host starts";

    int w = 0, h = 0, x = 0, y = 0;
    ASSERT_EQ(std::sscanf(shown->c_str(), "tray 1 %dx%d+%d+%d", &w, &h, &x, &y), 4);
    const std::string click = "xdotool mousemove " + std::to_string(x + w / 2) + " " + std::to_string(y + h / 2) +
                              " click --repeat 2 --delay 80 1";
    // On a busy machine the two clicks may arrive too far apart to count as
    // a double click: like a user, click again.
    std::optional<std::string> command;
    for (int attempt = 0; attempt < 3 && !command; ++attempt) {
        ASSERT_EQ(std::system(click.c_str()), 0);
        command = probe.WaitForLine("cmd ", 3000);
    }
    ASSERT_TRUE(command);
    EXPECT_EQ(*command, "cmd 32771");

    trayer.reset();
    ASSERT_TRUE(probe.WaitForLine("tray 0 ", 5000));
    trayer = startTrayer();
    EXPECT_TRUE(probe.WaitForLine("tray 1 22x22", 8000)) << "the icon comes back with the host";
}
