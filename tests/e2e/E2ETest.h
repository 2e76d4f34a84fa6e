// End-to-end tests: the real torvane.exe as a process of its own in the virtual desktop.
#pragma once

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace e2e {

using namespace testing_support;

inline constexpr wchar_t kMainCaption[] = L"Torvane for BitComet 1.0";
inline constexpr wchar_t kApplicationTitle[] = L"Torvane for BitComet";
inline constexpr DWORD kWokeRunningInstance = 0xFFFFFFFF;

std::wstring TorvaneExe();
std::wstring StandInExe();

// A started torvane.exe with its windows; closed (or ended) when the object goes.
class Torvane {
public:
    explicit Torvane(int show = SW_SHOWNORMAL, const std::wstring& currentDirectory = L"");
    ~Torvane();

    Process& Proc() { return m_process; }
    // The main window once it exists (not necessarily visible).
    HWND MainWindow(std::chrono::milliseconds timeout = 20s);
    // The main window once it is on screen: created, its creation handler run, shown.
    HWND ShownMainWindow(std::chrono::milliseconds timeout = 20s);
    // The application window: class TApplication, titled with the application title.
    HWND ApplicationWindow();
    // Asks the program to close as the user would and returns its exit code.
    std::optional<DWORD> Close();

private:
    Process m_process;
    HWND m_main = nullptr;
};

// Read-only is the attribute the program sets; Wine reports every file as archived besides.
bool IsReadOnlyFile(const std::wstring& path);

// A scratch client folder registered as the client's, for tests that start the real program.
class ClientSetup {
public:
    ClientSetup();
    const std::wstring& Folder() const { return m_folder.Path(); }
    std::wstring SettingsFile() const { return m_folder / L"BitComet.xml"; }
    ClientRegistration& Registration() { return m_registration; }

private:
    ScratchFolder m_folder{L"client"};
    ClientRegistration m_registration;
};

}  // namespace e2e
