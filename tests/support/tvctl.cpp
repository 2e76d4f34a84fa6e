// A small remote control for the program's windows, used by the run and screenshot scripts:
//   tvctl wait <title> <seconds>          wait for a top-level window with this exact title
//   tvctl gone <title> <seconds>          wait until no such window is left
//   tvctl rect <title>                    print the window's screen rectangle: x y width height
//   tvctl click <title> <button text>     press a button of the window
//   tvctl close <title>                   ask the window to close (WM_CLOSE)
//   tvctl restore <title>                 post the restore request a second start would post
//   tvctl list <title>                    print the rows of the window's list view, tab-separated
// Exit code 0 on success, 1 when the window or control was not found, 2 on a usage error.
#include "framework/Win32.h"
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/RemoteListView.h"

namespace {

HWND FindByTitle(const std::wstring& title) {
    struct Search {
        const std::wstring* title;
        HWND found;
    } search{&title, nullptr};
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
            auto* state = reinterpret_cast<Search*>(lParam);
            wchar_t text[512] = {};
            InternalGetWindowText(window, text, 512);
            if (*state->title == text && IsWindowVisible(window)) {
                state->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindChild(HWND parent, const wchar_t* className, const std::wstring& text) {
    struct Search {
        const wchar_t* className;
        const std::wstring* text;
        HWND found;
    } search{className, &text, nullptr};
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM lParam) -> BOOL {
            auto* state = reinterpret_cast<Search*>(lParam);
            wchar_t name[64] = {};
            wchar_t caption[256] = {};
            GetClassNameW(window, name, 64);
            GetWindowTextW(window, caption, 256);
            // The text as the user reads it: "&Run" is the button "Run".
            std::wstring shown;
            for (const wchar_t* c = caption; *c != L'\0'; ++c) {
                if (*c != L'&' || c[1] == L'\0') {
                    shown += *c;
                } else {
                    shown += *++c;
                }
            }
            if (lstrcmpiW(name, state->className) == 0 && (state->text->empty() || *state->text == shown)) {
                state->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PrintUtf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    std::fputs(bytes.c_str(), stdout);
}

int PrintList(HWND window) {
    const HWND list = FindChild(window, WC_LISTVIEWW, L"");
    if (list == nullptr) {
        return 1;
    }
    for (const std::vector<std::wstring>& cells : testing_support::ReadRemoteListView(list)) {
        std::wstring line;
        for (std::size_t column = 0; column < cells.size(); ++column) {
            line += (column > 0 ? L"\t" : L"") + cells[column];
        }
        PrintUtf8(line + L"\n");
    }
    return 0;
}

bool WaitFor(const std::wstring& title, int seconds, bool present) {
    for (int tick = 0; tick <= seconds * 10; ++tick) {
        if ((FindByTitle(title) != nullptr) == present) {
            return true;
        }
        Sleep(100);
    }
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fputs("usage: tvctl wait|gone|rect|click|close|restore|list <title> [...]\n", stderr);
        return 2;
    }
    const std::wstring command = argv[1];
    const std::wstring title = argv[2];
    if (command == L"wait" || command == L"gone") {
        return WaitFor(title, argc > 3 ? _wtoi(argv[3]) : 30, command == L"wait") ? 0 : 1;
    }
    const HWND window = FindByTitle(title);
    if (window == nullptr) {
        return 1;
    }
    if (command == L"rect") {
        RECT rect{};
        GetWindowRect(window, &rect);
        std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
        return 0;
    }
    if (command == L"click" && argc > 3) {
        const HWND button = FindChild(window, L"Button", argv[3]);
        if (button == nullptr) {
            return 1;
        }
        PostMessageW(button, BM_CLICK, 0, 0);
        return 0;
    }
    if (command == L"close") {
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == L"restore") {
        PostMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
        SetForegroundWindow(window);
        return 0;
    }
    if (command == L"list") {
        return PrintList(window);
    }
    std::fputs("usage: tvctl wait|gone|rect|click|close|restore|list <title> [...]\n", stderr);
    return 2;
}
