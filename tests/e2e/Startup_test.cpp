// The real torvane.exe, started as its own process in the virtual desktop.
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

constexpr wchar_t kMainCaption[] = L"Torvane for BitComet 1.0";

std::wstring TorvaneExe() {
    return TestArguments().at(0);
}

TEST(Startup, OpensTheFixedMainWindowAndClosesWithExitCodeZero) {
    ScratchFolder client(L"client");
    ClientRegistration registration;
    registration.SetFolder(client.Path());

    Process torvane(TorvaneExe(), L"");
    const HWND window = WaitForWindow(kMainCaption, torvane.Id(), 20s);
    ASSERT_NE(window, nullptr) << "the main window did not appear";
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }, 10s));

    RECT client_rect{};
    GetClientRect(window, &client_rect);
    EXPECT_EQ(client_rect.right, 325);
    EXPECT_EQ(client_rect.bottom, 359);
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "the window must not be resizable";
    EXPECT_EQ(ClassName(window), L"TForm_Main");

    PostMessageW(window, WM_CLOSE, 0, 0);
    const auto exitCode = torvane.WaitForExit(20s);
    ASSERT_TRUE(exitCode.has_value()) << "the program did not end after WM_CLOSE";
    EXPECT_EQ(*exitCode, 0u);
}

}  // namespace
