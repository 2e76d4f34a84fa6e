#include "tests/e2e/E2ETest.h"

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

}  // namespace e2e
