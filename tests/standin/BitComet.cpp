// A stand-in for the client's executable, for the demo and the end-to-end tests. It records
// every start (command line and current directory, one UTF-8 line each) in
// "standin-starts.log" beside itself, then shows a small window saying what it is. With the
// environment variable TORVANE_STANDIN_EXIT set it records and ends at once.
#include "framework/Win32.h"

#include <string>

namespace {

constexpr wchar_t kClassName[] = L"TorvaneClientStandIn";

std::wstring g_text;

std::wstring OwnFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\'));
}

std::wstring CurrentDirectory() {
    std::wstring directory(GetCurrentDirectoryW(0, nullptr), L'\0');
    directory.resize(GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), directory.data()));
    return directory;
}

void RecordStart(const std::wstring& commandLine, const std::wstring& directory) {
    const std::wstring line = commandLine + L"\t" + directory + L"\r\n";
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), bytes.data(), size, nullptr, nullptr);
    const std::wstring log = OwnFolder() + L"\\standin-starts.log";
    const HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
}

LRESULT CALLBACK StandInProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            const HDC dc = BeginPaint(window, &paint);
            RECT client{};
            GetClientRect(window, &client);
            InflateRect(&client, -10, -10);
            SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
            SetBkMode(dc, TRANSPARENT);
            DrawTextW(dc, g_text.c_str(), -1, &client, DT_WORDBREAK | DT_NOPREFIX);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, msg, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    const std::wstring commandLine = GetCommandLineW();
    const std::wstring directory = CurrentDirectory();
    RecordStart(commandLine, directory);
    if (GetEnvironmentVariableW(L"TORVANE_STANDIN_EXIT", nullptr, 0) != 0) {
        return 0;
    }

    g_text =
        L"This is a stand-in for the BitComet client, made for the Torvane demo. It does nothing "
        L"but show this window.\r\n\r\nStarted with: " +
        commandLine + L"\r\nCurrent directory: " + directory;
    WNDCLASSW wc{};
    wc.lpfnWndProc = &StandInProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);
    const HWND window = CreateWindowExW(0, kClassName, L"BitComet (stand-in)", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                        CW_USEDEFAULT, 420, 200, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    ShowWindow(window, show);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
