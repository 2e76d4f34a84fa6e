#include "tests/e2e/E2ETest.h"

#include "framework/Text.h"

namespace e2e {

std::wstring TorvaneExe() {
    return TestArguments().at(0);
}

std::wstring StandInExe() {
    return TestArguments().at(1);
}

Torvane::Torvane(int show, const std::wstring& currentDirectory)
    : m_process(TorvaneExe(), L"", show, currentDirectory) {}

Torvane::~Torvane() {
    if (m_process.Running()) {
        Close();
    }
}

HWND Torvane::MainWindow(std::chrono::milliseconds timeout) {
    if (m_main == nullptr || !IsWindow(m_main)) {
        m_main = WaitForWindow(kMainCaption, m_process.Id(), timeout);
    }
    return m_main;
}

HWND Torvane::ShownMainWindow(std::chrono::milliseconds timeout) {
    const HWND main = MainWindow(timeout);
    return main != nullptr && WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, timeout) ? main : nullptr;
}

HWND Torvane::ApplicationWindow() {
    for (HWND window : FindTopLevelWindows(kApplicationTitle, m_process.Id())) {
        if (ClassName(window) == L"TApplication") {
            return window;
        }
    }
    return nullptr;
}

std::optional<DWORD> Torvane::Close() {
    if (const HWND main = MainWindow(1s); main != nullptr) {
        PostMessageW(main, WM_CLOSE, 0, 0);
    }
    return m_process.WaitForExit(30s);
}

bool IsReadOnlyFile(const std::wstring& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE)) == FILE_ATTRIBUTE_READONLY;
}

ClientSetup::ClientSetup() {
    m_registration.SetFolder(m_folder.Path());
}

const char kUserSettings[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<BitComet>\r\n"
    "  <Settings>\r\n"
    "    <ListenPort>16888</ListenPort>\r\n"
    "    <ConnectedPeersMax>50</ConnectedPeersMax>\r\n"
    "    <GlobalMaxUploadRate>40</GlobalMaxUploadRate>\r\n"
    "    <MaxTcpConnectionAttempts>8</MaxTcpConnectionAttempts>\r\n"
    "    <GlobalMaxDownloadRate>800</GlobalMaxDownloadRate>\r\n"
    "    <Language>en_US</Language>\r\n"
    "  </Settings>\r\n"
    "</BitComet>\r\n";

namespace {

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace

bool HasNoManagedSetting(const std::string& text) {
    for (const char* name :
         {"<ConnectedPeersMax", "<MaxTcpConnectionAttempts", "<GlobalMaxUploadRate", "<GlobalMaxDownloadRate"}) {
        if (text.find(name) != std::string::npos) {
            return false;
        }
    }
    return text.find("<ListenPort>16888</ListenPort>") != std::string::npos &&
           text.find("<Language>en_US</Language>") != std::string::npos;
}

bool IsTuned(const std::string& text) {
    return Count(text, "<ConnectedPeersMax>1000</ConnectedPeersMax>") == 1 &&
           Count(text, "<MaxTcpConnectionAttempts>1000</MaxTcpConnectionAttempts>") == 1 &&
           Count(text, "<ConnectedPeersMax") == 1 && Count(text, "<MaxTcpConnectionAttempts") == 1 &&
           text.find("GlobalMax") == std::string::npos &&
           text.find("<ListenPort>16888</ListenPort>") != std::string::npos;
}

StandInClient::StandInClient(const std::wstring& folder, const std::vector<std::wstring>& programs) : m_folder(folder) {
    for (const std::wstring& program : programs) {
        CopyFileW(StandInExe().c_str(), (folder + L"\\" + program).c_str(), FALSE);
    }
    SetEnvironmentVariableW(L"TORVANE_STANDIN_EXIT", L"1");
}

StandInClient::~StandInClient() {
    SetEnvironmentVariableW(L"TORVANE_STANDIN_EXIT", nullptr);
}

std::vector<std::pair<std::wstring, std::wstring>> StandInClient::Starts() const {
    std::vector<std::pair<std::wstring, std::wstring>> starts;
    const std::wstring log = m_folder + L"\\standin-starts.log";
    if (!FileExists(log)) {
        return starts;
    }
    const std::wstring text = framework::FromUtf8(ReadText(log));
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t end = text.find(L"\r\n", begin);
        const std::wstring line = text.substr(begin, end - begin);
        const std::size_t tab = line.find(L'\t');
        starts.emplace_back(line.substr(0, tab), line.substr(tab + 1));
        begin = end == std::wstring::npos ? text.size() : end + 2;
    }
    return starts;
}

void ClickRun(HWND main, const std::wstring& caption) {
    const HWND run = FindChild(main, L"Button", caption);
    ASSERT_NE(run, nullptr);
    PostMessageW(run, BM_CLICK, 0, 0);
}

bool RunFinished(Torvane& torvane) {
    const HWND main = torvane.MainWindow();
    return WaitUntil([&] { return !IsWindowVisible(main) && !IsWindowVisible(torvane.ApplicationWindow()); }, 30s);
}

bool RunFailed(HWND main, std::wstring* explanation) {
    const HWND run = FindChild(main, L"Button", L"Run");
    if (!WaitUntil([&] { return !IsWindowEnabled(run); }, 5s) ||
        !WaitUntil([&] { return IsWindowEnabled(run) != FALSE; }, 30s)) {
        return false;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(main, &processId);
    const HWND box = WaitForErrorBox(processId);
    if (box == nullptr) {
        return false;
    }
    if (explanation != nullptr) {
        *explanation = DialogText(box);
    }
    DismissBox(box);
    return true;
}

HWND WaitForErrorBox(DWORD processId) {
    HWND box = nullptr;
    WaitUntil(
        [&] {
            for (const HWND window : FindTopLevelWindows(kApplicationTitle, processId)) {
                if (ClassName(window) == L"#32770" && IsWindowVisible(window)) {
                    box = window;
                }
            }
            return box != nullptr;
        },
        10s);
    return box;
}

std::wstring DialogText(HWND box) {
    std::wstring text;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM collected) -> BOOL {
            if (ClassName(child) == L"Static") {
                *reinterpret_cast<std::wstring*>(collected) += SentWindowText(child);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&text));
    return text;
}

void DismissBox(HWND box) {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return !IsWindow(box); }, 10s);
}

std::vector<std::wstring> States(HWND main) {
    std::vector<std::wstring> states;
    for (const auto& row : ReadListView(FindChild(main, L"SysListView32"))) {
        states.push_back(row.at(1));
    }
    return states;
}

std::wstring StatusText(HWND main) {
    return SentWindowText(FindChild(main, L"msctls_statusbar32"));
}

bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

}  // namespace e2e
