// Start-up and the single-instance rule, with the real program.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "framework/Text.h"
#include "tests/e2e/E2ETest.h"

namespace e2e {
namespace {

bool Visible(HWND window) {
    return window != nullptr && IsWindowVisible(window) != FALSE;
}

TEST(Startup, OpensTheFixedMainWindowAndClosesWithExitCodeZero) {
    ClientSetup client;
    Torvane torvane;
    const HWND window = torvane.MainWindow();
    ASSERT_NE(window, nullptr) << "the main window did not appear";
    ASSERT_TRUE(WaitUntil([&] { return Visible(window); }, 10s));

    RECT clientRect{};
    GetClientRect(window, &clientRect);
    EXPECT_EQ(clientRect.right, 325);
    EXPECT_EQ(clientRect.bottom, 359);
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "the window must not be resizable";

    // A second start searches by the application title; the main window's caption differs.
    const HWND found = FindWindowW(nullptr, kApplicationTitle);
    EXPECT_EQ(ClassName(found), L"TApplication");
    EXPECT_EQ(found, torvane.ApplicationWindow());

    const auto exitCode = torvane.Close();
    ASSERT_TRUE(exitCode.has_value()) << "the program did not end after WM_CLOSE";
    EXPECT_EQ(*exitCode, 0u);
}

TEST(Startup, SecondStartWakesTheFirstAndEndsWithMinusOne) {
    ClientSetup client;
    Torvane first;
    const HWND main = first.MainWindow();
    ASSERT_TRUE(WaitUntil([&] { return Visible(main); }, 10s));

    // Once on screen, once minimised: the second start brings the first back either way.
    for (const bool minimised : {false, true}) {
        SCOPED_TRACE(minimised ? "first instance minimised" : "first instance on screen");
        if (minimised) {
            PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            ASSERT_TRUE(WaitUntil([&] { return !Visible(main); }, 10s));
            ASSERT_TRUE(IsIconic(first.ApplicationWindow()));
        }
        Process second(TorvaneExe(), L"");
        const auto exitCode = second.WaitForExit(20s);
        ASSERT_TRUE(exitCode.has_value());
        EXPECT_EQ(*exitCode, kWokeRunningInstance);
        EXPECT_TRUE(WaitUntil([&] { return Visible(main) && !IsIconic(first.ApplicationWindow()); }, 10s));
        EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }, 10s))
            << "the main window itself must be active, not only its program";
        EXPECT_TRUE(FindTopLevelWindows(kMainCaption, second.Id()).empty());
    }
    EXPECT_EQ(first.Close(), 0u);
}

// Registers a window class of its own and shows a top-level window with the application's
// title, as an unrelated program might.
class ImpostorWindow {
public:
    ImpostorWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TorvaneTestImpostor";
        RegisterClassW(&wc);
        m_window = CreateWindowExW(0, wc.lpszClassName, kApplicationTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                   200, 100, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~ImpostorWindow() { DestroyWindow(m_window); }

private:
    HWND m_window;
};

TEST(Startup, AWindowWithTheSameTitleButNoInstanceDoesNotStopAStart) {
    ClientSetup client;
    ImpostorWindow impostor;
    Torvane torvane;
    EXPECT_TRUE(WaitUntil([&] { return Visible(torvane.MainWindow()); }, 20s, true));
    EXPECT_EQ(torvane.Close(), 0u);
}

TEST(Startup, HonoursTheShowCommand) {
    ClientSetup client;
    {
        Torvane minimised(SW_SHOWMINNOACTIVE);
        ASSERT_NE(minimised.MainWindow(), nullptr);
        ASSERT_TRUE(WaitUntil([&] { return minimised.ApplicationWindow() != nullptr; }, 10s));
        const HWND application = minimised.ApplicationWindow();
        // Minimised on the taskbar: the application window is an icon, the form not shown.
        EXPECT_TRUE(WaitUntil([&] { return IsIconic(application) && Visible(application); }, 10s));
        EXPECT_FALSE(Visible(minimised.MainWindow()));
        // Restoring from the taskbar brings the form up.
        PostMessageW(application, WM_SYSCOMMAND, SC_RESTORE, 0);
        EXPECT_TRUE(WaitUntil([&] { return Visible(minimised.MainWindow()); }, 10s));
        EXPECT_EQ(minimised.Close(), 0u);
    }
    {
        Torvane maximised(SW_SHOWMAXIMIZED);
        EXPECT_TRUE(
            WaitUntil([&] { return Visible(maximised.MainWindow()) && IsZoomed(maximised.MainWindow()); }, 20s));
        EXPECT_EQ(maximised.Close(), 0u);
    }
}

// Impatient double-clicks, or a start-up entry and a click at once: whatever the timing, one
// instance runs and every other start wakes it and ends with -1.
TEST(Startup, ASimultaneousStormOfStartsLeavesExactlyOneInstance) {
    ClientSetup client;
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<std::unique_ptr<Process>> starts;
        for (int index = 0; index < 10; ++index) {
            starts.push_back(std::make_unique<Process>(TorvaneExe(), L""));
        }
        const auto stillRunning = [&] {
            std::vector<Process*> running;
            for (auto& start : starts) {
                if (start->Running()) {
                    running.push_back(start.get());
                }
            }
            return running;
        };
        WaitUntil([&] { return stillRunning().size() <= 1; }, 30s);
        const std::vector<Process*> running = stillRunning();
        ASSERT_EQ(running.size(), 1u);
        for (auto& start : starts) {
            if (start.get() != running.front()) {
                EXPECT_EQ(start->WaitForExit(0ms), kWokeRunningInstance);
            }
        }
        const HWND main = WaitForWindow(kMainCaption, running.front()->Id(), 20s);
        ASSERT_NE(main, nullptr);
        PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(running.front()->WaitForExit(30s), 0u);
    }
}

// Error boxes of a process: captioned with the application title, of the dialog class.
std::vector<HWND> ErrorBoxes(DWORD processId) {
    std::vector<HWND> boxes = FindTopLevelWindows(kApplicationTitle, processId);
    std::erase_if(boxes, [](HWND window) { return ClassName(window) != L"#32770" || !IsWindowVisible(window); });
    return boxes;
}

// A registry value the program cannot use is told in the status bar, naming the key and what it
// holds, with no box at start nor at close; it never keeps the window from closing.
TEST(Startup, ARegistryValueOfTheWrongTypeIsToldAndTheWindowStillCloses) {
    ClientSetup client;
    client.Registration().SetRaw(REG_DWORD, {1, 0, 0, 0});
    Torvane torvane;
    const DWORD id = torvane.Proc().Id();
    const HWND main = torvane.ShownMainWindow();
    ASSERT_NE(main, nullptr);
    const std::wstring status = StatusText(main);
    EXPECT_TRUE(Contains(status, L"HKEY_CURRENT_USER\\Software\\BitComet") && Contains(status, L"REG_DWORD"))
        << framework::ToUtf8(status);
    EXPECT_TRUE(ErrorBoxes(id).empty()) << "a box at start";

    PostMessageW(main, WM_CLOSE, 0, 0);
    const std::optional<DWORD> exitCode = torvane.Proc().WaitForExit(30s);
    EXPECT_TRUE(ErrorBoxes(id).empty()) << "a box at close";
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
}  // namespace e2e
