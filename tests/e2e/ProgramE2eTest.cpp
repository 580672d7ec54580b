// The real vantix binary on an Xvfb display with a tray host (trayer): a
// card presented to a simulated reader is typed into the focused window and
// written to the registration file; the window starts hidden with its tray
// icon, comes up through the icon and hides again from its close box.
// Screenshots of the main window and of the popup are left in the build
// directory (e2e-artifacts/).
#include <gtest/gtest.h>

#include <utility>

#include "tests/e2e/RunningProgram.h"
#include "tests/support/XServer.h"

namespace {

using namespace vantix::test;

std::optional<Window> FindWindow(const std::string& xdotoolArgs) {
    const std::string id = Output("xdotool search " + xdotoolArgs + " 2>/dev/null | head -1");
    return id.empty() ? std::nullopt : std::optional<Window>(std::stoul(id));
}

// The tray icon's centre, from the window tree: the program's embedded icon
// window sits inside the tray host's panel.
std::optional<std::pair<int, int>> TrayIconCentre() {
    const std::string line = Output("xwininfo -root -tree | grep '(\"vantix\" \"vantix\")' | grep ' 22x22+'");
    int w = 0, h = 0, x = 0, y = 0, ax = 0, ay = 0;
    const auto at = line.find(": (");
    if (at == std::string::npos ||
        std::sscanf(line.c_str() + line.find(')', at) + 1, " %dx%d+%d+%d +%d+%d", &w, &h, &x, &y, &ax, &ay) != 6)
        return std::nullopt;
    return std::make_pair(ax + w / 2, ay + h / 2);
}

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

// Waits until two screen captures in a row are the same: windows have been
// painted and the popup has stopped sliding. Nothing is asserted on the
// screenshots, so a screen that never settles only makes a blurred picture.
void WaitForTheScreenToSettle() {
    std::string last;
    WaitFor([&] {
        const std::string now = Output("import -window root -strip png:- | md5sum");
        return std::exchange(last, now) == now;
    }, 5s);
}

} // namespace

TEST(WholeProgram, ACardReadIsTypedAndFiledWhileTheProgramLivesInTheTray) {
    if (const std::string missing = Missing({"Xvfb", "trayer", "xdotool", "xterm", "xwininfo", "import"});
        !missing.empty())
        GTEST_SKIP() << missing;
    const fs::path artifacts = BinDir().parent_path() / "e2e-artifacts";
    fs::create_directories(artifacts);

    XServer server;
    const std::string display = server.Display();
    XClient x(display);
    setenv("DISPLAY", display.c_str(), 1); // for the X tools the test runs itself
    TempDir work;
    const std::string log = work.File("processes.log");
    const std::map<std::string, std::string> onDisplay{{"DISPLAY", display}};

    ChildProcess trayer({"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "100",
                         "--height", "24"},
                        onDisplay, log);
    ASSERT_TRUE(WaitFor([&] { return x.TrayOwned(); }, 5s)) << "trayer owns the tray";

    // The window that has the focus records the line typed into it.
    const std::string typed = work.File("typed.txt");
    ChildProcess target({"xterm", "-title", "vantix-e2e-target", "-geometry", "60x5+0+300", "-e", "sh", "-c",
                         "read line; printf '%s\\n' \"$line\" > " + typed},
                        onDisplay, log);
    std::optional<Window> targetWindow;
    ASSERT_TRUE(WaitFor([&] { return (targetWindow = FindWindow("--onlyvisible --name vantix-e2e-target")).has_value(); }, 5s));
    ASSERT_TRUE(Shell("xdotool windowfocus " + std::to_string(*targetWindow)));

    // A proximity reader that types the media ID with Enter and stores it.
    RunningProgram vantix(work.Path() / "program", display,
                          "proximity name=DOOR sendToKeyboard=1 storeToDatabase=1 prefixMask=15 "
                          "suffixCode=11,12,12,12 suffixMask=14");

    // Starts hidden, with its icon in the tray.
    std::pair<int, int> icon;
    const auto iconShown = [&] {
        const auto centre = TrayIconCentre();
        if (centre) icon = *centre;
        return centre.has_value();
    };
    ASSERT_TRUE(WaitFor(iconShown, 10s)) << "no tray icon";
    EXPECT_FALSE(FindWindow("--onlyvisible --name '^Vantix$'").has_value()) << "the main window starts hidden";

    EXPECT_EQ(vantix.Sim("card FT01 00000249541F01"), "ok card F400000249541F01");
    ASSERT_TRUE(WaitFor([&] { return ReadFile(typed).find('\n') != std::string::npos; }, 10s))
        << "nothing typed; " << ReadFile(log) << vantix.Log();
    EXPECT_EQ(ReadFile(typed), "0249541F\n");

    // The line is typed on the reader thread before the registration reaches
    // the window, which files it: wait for the file line too.
    const auto filed = [&](std::size_t lines) { return vantix.Lines().size() == lines; };
    EXPECT_TRUE(WaitFor([&] { return filed(1); }, 10s)) << vantix.RegFile();
    const std::string regFile = vantix.RegFile();
    EXPECT_EQ(regFile.substr(0, regFile.find('\n') + 1), "MediaID,DateTime,Date,Time,ID,Code,Serial\r\n");
    EXPECT_NE(regFile.find("\r\n0249541F,"), std::string::npos) << regFile;
    EXPECT_NE(regFile.find(",0,0,FT01\r\n"), std::string::npos) << regFile;

    // A double click on the icon brings the window up. On a busy machine the
    // tray may still be laying its icons out, or the two clicks may arrive
    // too far apart to count as one double click: like a user, look again
    // and click again.
    std::optional<Window> mainWindow;
    for (int attempt = 0; attempt < 3 && !mainWindow; ++attempt) {
        ASSERT_TRUE(WaitFor(iconShown, 5s)) << "no tray icon";
        ASSERT_TRUE(Shell("xdotool mousemove " + std::to_string(icon.first) + " " + std::to_string(icon.second) +
                        " click --repeat 2 --delay 80 1"));
        WaitFor([&] { return (mainWindow = FindWindow("--onlyvisible --name '^Vantix$'")).has_value(); }, 4s);
    }
    ASSERT_TRUE(mainWindow.has_value()) << "a double click on the tray icon shows the window";

    // With the program's own window focused a read is filed but not typed:
    // its Enter would open the unlock prompt. The line would have reached
    // the window before the registration reached the file.
    x.WatchKeys(*mainWindow);
    ASSERT_TRUE(Shell("xdotool windowfocus --sync " + std::to_string(*mainWindow)));
    EXPECT_EQ(vantix.Sim("card FT01 00000249541F01"), "ok card F400000249541F01");
    EXPECT_TRUE(WaitFor([&] { return filed(2); }, 10s)) << vantix.RegFile();
    EXPECT_EQ(x.KeyPresses(), 0) << "card data typed into the program's own window";
    WaitForTheScreenToSettle();
    EXPECT_TRUE(Shell("import -window root " + (artifacts / "main-window.png").string()));

    // The close box hides it again and says the program is still active.
    x.SendDeleteWindow(*mainWindow);
    ASSERT_TRUE(WaitFor([&] { return !FindWindow("--onlyvisible --name '^Vantix$'"); }, 5s)) << "hidden to the tray";
    WaitForTheScreenToSettle();
    EXPECT_TRUE(Shell("import -window root " + (artifacts / "notifier.png").string()));
    EXPECT_TRUE(vantix.Running());

    // A session's end: the settings are written back.
    ASSERT_TRUE(vantix.Terminate(10s).has_value());
    EXPECT_EQ(vantix.ExitStatus(), 0);
    EXPECT_NE(ReadFile(vantix.Ini()).find("Delay=1"), std::string::npos) << ReadFile(vantix.Ini());
}
