// The real program in the notification area: minimised by its title bar, woken by a second start.
#include "tests/e2e/E2ETest.h"

namespace e2e {
namespace {

TEST(TrayIcon, MinimisedProgramHidesItsTaskbarButtonAndASecondStartBringsItBack) {
    ClientSetup client;
    Torvane torvane;
    const HWND main = torvane.MainWindow();
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 10s));
    const HWND application = torvane.ApplicationWindow();
    ASSERT_NE(application, nullptr);

    PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main) && !IsWindowVisible(application); }, 10s))
        << "window and taskbar button must both go";

    Process second(TorvaneExe(), L"");
    EXPECT_EQ(second.WaitForExit(20s), kWokeRunningInstance);
    EXPECT_TRUE(WaitUntil(
        [&] { return IsWindowVisible(main) && IsWindowVisible(application) && !IsIconic(application); }, 10s));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }, 10s)) << "the window comes back active";
    EXPECT_EQ(torvane.Close(), 0u);
}

}  // namespace
}  // namespace e2e
