// The tray icon against a real tray host: Xvfb with trayer, and the probe
// program putting up the icon (TrayProbe.cpp). A double click on the icon is
// driven through the whole program by the end-to-end test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"
#include "tests/support/XServer.h"

using vantix::test::ChildProcess;

TEST(TrayHost, IconAppearsWithTheHostAndReturnsAfterItsRestart) {
    if (!vantix::test::OnPath("Xvfb") || !vantix::test::OnPath("trayer"))
        GTEST_SKIP() << "needs Xvfb and trayer";
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
    // Whether the probe's latest report starts with prefix within ms.
    const auto probeSays = [&](const std::string& prefix, int ms) {
        return vantix::test::WaitFor(
            [&] {
                const std::string text = vantix::test::ReadFile(dir.File("probe.log"));
                const auto end = text.rfind('\n');
                const auto start = end == std::string::npos || end == 0 ? 0 : text.rfind('\n', end - 1) + 1;
                return end != std::string::npos && text.compare(start, prefix.size(), prefix) == 0;
            },
            std::chrono::milliseconds(ms));
    };

    ChildProcess probe({std::string(std::getenv("VANTIX_BIN_DIR")) + "/views_tray_probe"}, {}, dir.File("probe.log"));
    ASSERT_TRUE(probeSays("tray 0 ", 5000)) << "no tray host yet";
    auto trayer = startTrayer();
    ASSERT_TRUE(probeSays("tray 1 22x22", 8000)) << "the icon appears once a tray host starts";
    trayer.reset();
    ASSERT_TRUE(probeSays("tray 0 ", 5000));
    trayer = startTrayer();
    EXPECT_TRUE(probeSays("tray 1 22x22", 8000)) << "the icon comes back with the host";
}
