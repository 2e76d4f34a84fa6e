// Holds Wine's virtual desktop open while a test run starts programs one after another (Wine
// closes the desktop shortly after its last window goes). Writes the file named by its
// argument once its window exists, so the caller knows the desktop is up.
#include "framework/Win32.h"
#include <shellapi.h>

namespace {

LRESULT CALLBACK KeeperProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &KeeperProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"TorvaneDesktopKeeper";
    RegisterClassW(&wc);
    // A hidden window: it keeps the desktop alive without showing anywhere, taskbar included.
    const HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                        instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv != nullptr && argc > 1) {
        const HANDLE ready = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (ready != INVALID_HANDLE_VALUE) {
            CloseHandle(ready);
        }
    }
    LocalFree(argv);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
    return 0;
}
