// End-to-end tests: the real torvane.exe as a process of its own in the virtual desktop.
#pragma once

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/TestSupport.h"

namespace e2e {

using namespace testing_support;

inline constexpr wchar_t kMainCaption[] = L"Torvane for BitComet 1.0";
inline constexpr wchar_t kApplicationTitle[] = L"Torvane for BitComet";
inline constexpr DWORD kWokeRunningInstance = 0xFFFFFFFF;
// The client's program, and its own 64-bit one.
inline constexpr wchar_t kProgram[] = L"BitComet.exe";
inline constexpr wchar_t kProgram64[] = L"BitComet_x64.exe";

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

// A settings file as a user's client leaves it: the four managed settings among others.
extern const char kUserSettings[];

// Whether text holds none of the managed settings and still the user's own.
bool HasNoManagedSetting(const std::string& text);
// Whether text holds exactly one of each tuned setting with the tuned value, and the user's own.
bool IsTuned(const std::string& text);

// The client's stand-in in folder, under each of the program names given (BitComet.exe unless
// told otherwise). It reports each start in a log beside itself, and ends at once.
class StandInClient {
public:
    explicit StandInClient(const std::wstring& folder, const std::vector<std::wstring>& programs = {kProgram});
    ~StandInClient();
    StandInClient(const StandInClient&) = delete;
    StandInClient& operator=(const StandInClient&) = delete;

    // One entry per start: command line and current directory.
    std::vector<std::pair<std::wstring, std::wstring>> Starts() const;

private:
    std::wstring m_folder;
};

// Clicks Run, which reads caption (as the user reads it) in the interface's language.
void ClickRun(HWND main, const std::wstring& caption = L"Run");
// Waits until a run has sent the program to the notification area.
bool RunFinished(Torvane& torvane);
// Waits until a run that could not tune has handed Run back to the user and explained itself in
// the error display, and closes that box as the user would; its text goes to explanation.
bool RunFailed(HWND main, std::wstring* explanation = nullptr);
// The program's error display, once it shows; null when none does in time.
HWND WaitForErrorBox(DWORD processId);
// The text of a message box.
std::wstring DialogText(HWND box);
// Presses OK on a message box and waits until it is gone.
void DismissBox(HWND box);
// The State column of the check list, row by row.
std::vector<std::wstring> States(HWND main);
std::wstring StatusText(HWND main);
bool Contains(const std::wstring& text, const std::wstring& part);

inline const std::vector<std::wstring> kAllOk(8, L"OK");
// A run that could not tune: the two rows of the settings file say so.
inline const std::vector<std::wstring> kConfigErrors = {L"OK", L"OK", L"OK", L"OK", L"Error", L"OK", L"Error", L"OK"};

}  // namespace e2e
