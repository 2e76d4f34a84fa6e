// The window at a system DPI of 144: every length scales by 1.5, nothing stays at its 96-DPI size.
#include "tests/e2e/E2ETest.h"

namespace e2e {
namespace {

// Sets the prefix's system DPI for programs started while it lives, and puts it back.
class SystemDpi {
public:
    explicit SystemDpi(DWORD dpi) {
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                        &m_key, nullptr);
        DWORD size = sizeof m_saved;
        m_hadValue = RegQueryValueExW(m_key, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&m_saved),
                                      &size) == ERROR_SUCCESS;
        RegSetValueExW(m_key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    }
    ~SystemDpi() {
        if (m_hadValue) {
            RegSetValueExW(m_key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&m_saved), sizeof m_saved);
        } else {
            RegDeleteValueW(m_key, L"LogPixels");
        }
        RegCloseKey(m_key);
    }

private:
    HKEY m_key = nullptr;
    DWORD m_saved = 0;
    bool m_hadValue = false;
};

HWND FindChild(HWND parent, const wchar_t* className, const wchar_t* text) {
    struct Search {
        const wchar_t* className;
        const wchar_t* text;
        HWND found;
    } search{className, text, nullptr};
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM lParam) -> BOOL {
            auto* state = reinterpret_cast<Search*>(lParam);
            if (ClassName(window) == state->className && ShownText(WindowText(window)) == state->text) {
                state->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

RECT ChildRect(HWND parent, const wchar_t* className, const wchar_t* text) {
    const HWND child = FindChild(parent, className, text);
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST(HighDpi, TheWholeLayoutScalesByOneAndAHalf) {
    ClientSetup client;
    SystemDpi dpi(144);
    Torvane torvane;
    const HWND main = torvane.MainWindow();
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 10s));

    RECT clientRect{};
    GetClientRect(main, &clientRect);
    EXPECT_EQ(clientRect.right, 488);   // 325 * 1.5, rounded
    EXPECT_EQ(clientRect.bottom, 539);  // 359 * 1.5, rounded

    const RECT run = ChildRect(main, L"Button", L"Run");
    EXPECT_EQ(run.left, 300);
    EXPECT_EQ(run.top, 468);
    EXPECT_EQ(run.right - run.left, 89);
    EXPECT_EQ(run.bottom - run.top, 33);
    // The glyphs at twice the size are resources of their own.
    for (const wchar_t* caption : {L"Run", L"Close"}) {
        EXPECT_NE(SendMessageW(FindChild(main, L"Button", caption), BM_GETIMAGE, IMAGE_ICON, 0), 0) << caption;
    }
    const RECT banner = ChildRect(main, L"TImage", L"");
    EXPECT_EQ(banner.right - banner.left, 488);
    EXPECT_EQ(banner.bottom - banner.top, 86);
    const RECT version = ChildRect(main, L"Static", L"Version 1.0 (Build 050501)");
    EXPECT_GE(version.right - version.left, 186) << "labels grow with the font, never shrink";
    EXPECT_EQ(version.top, 96);
    EXPECT_EQ(torvane.Close(), 0u);
}

}  // namespace
}  // namespace e2e
