// Helpers shared by the test programs: scratch folders and registry entries that clean up after
// themselves, files as bytes, and processes and windows of the program under test.
#pragma once

#include "framework/Win32.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

using namespace std::chrono_literals;

// The arguments the test program was started with, after GoogleTest took its own.
const std::vector<std::wstring>& TestArguments();
// A host (Unix) path as Wine's Z: drive shows it; other paths are returned unchanged.
std::wstring WindowsPath(const std::wstring& path);
// A file of the source tree, e.g. SourcePath(L"tests/fixtures/plain.xml").
std::wstring SourcePath(const std::wstring& relative);

// A fresh folder under the temporary folder, removed with everything in it at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& name = L"");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const noexcept { return m_path; }
    std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

// Removes a folder and everything in it, read-only files included; a link goes itself, never what
// it points to.
void RemoveTree(const std::wstring& path);

std::vector<std::uint8_t> ReadBytes(const std::wstring& path);
std::string ReadText(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes);
void WriteText(const std::wstring& path, const std::string& text);
bool FileExists(const std::wstring& path);
// Whether two paths name the same place, whatever their separators, case or trailing separator.
bool SamePath(const std::wstring& a, const std::wstring& b);
DWORD Attributes(const std::wstring& path);
// The names in a folder, "." and ".." left out.
std::vector<std::wstring> FolderEntries(const std::wstring& folder);

// Sets HKCU\Software\BitComet for the length of a test and puts back what was there.
class ClientRegistration {
public:
    ClientRegistration();
    ~ClientRegistration();
    ClientRegistration(const ClientRegistration&) = delete;
    ClientRegistration& operator=(const ClientRegistration&) = delete;

    // The default value as a string of the given type (REG_SZ or REG_EXPAND_SZ).
    void SetFolder(const std::wstring& folder, DWORD type = REG_SZ);
    // The default value with raw data of any type.
    void SetRaw(DWORD type, const std::vector<std::uint8_t>& data);
    // The key without a default value.
    void SetKeyOnly();
    // No key at all.
    void Remove();

private:
    std::optional<std::vector<std::uint8_t>> m_savedData;
    DWORD m_savedType = REG_NONE;
    bool m_keyExisted = false;
};

// The client's settings file in the user's roaming application data folder, where a client
// installed under Program Files keeps it. None is there while the object lives, unless a test
// writes one; what was there before is put back at the end.
class RoamingSettings {
public:
    RoamingSettings();
    ~RoamingSettings();
    RoamingSettings(const RoamingSettings&) = delete;
    RoamingSettings& operator=(const RoamingSettings&) = delete;

    const std::wstring& Path() const noexcept { return m_path; }
    void Write(const std::string& text) const;

private:
    std::wstring m_folder;
    std::wstring m_path;
    std::optional<std::vector<std::uint8_t>> m_saved;
    bool m_folderExisted = false;
};

// The host's (Linux) path of a path under Wine; empty where no host lies below (Windows).
std::wstring HostPath(const std::wstring& path);
// Starts a program of the host (Linux) under Wine, e.g. StartHostProgram(L"/bin/ln", L"ln -s a b").
// A host process cannot be waited for from Wine: the caller waits for its effect. False where there
// is no host or the program cannot start.
bool StartHostProgram(const std::wstring& program, std::wstring commandLine);

// The Unix mode bits of a file under Wine (0644, say), first set to mode when one is given; nothing
// where there is no host or the host does not answer.
std::optional<unsigned> HostMode(const std::wstring& path, std::optional<unsigned> mode = std::nullopt);

// Makes link a symbolic link to target, as a user who keeps the file elsewhere would. Under Wine,
// whose CreateSymbolicLinkW makes nothing, the host's ln makes it. False when neither can.
bool MakeSymbolicLink(const std::wstring& link, const std::wstring& target);

// The text a window answers WM_GETTEXT with, also for a window of another process.
std::wstring SentWindowText(HWND window);

// A process of ours, ended when the object goes if it still runs.
class Process {
public:
    Process(const std::wstring& executable,
            const std::wstring& arguments,
            int show = SW_SHOWNORMAL,
            const std::wstring& currentDirectory = L"");
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    DWORD Id() const noexcept { return m_info.dwProcessId; }
    HANDLE Handle() const noexcept { return m_info.hProcess; }
    bool Running() const;
    // The full 32-bit exit code, or nothing when the process is still running after timeout.
    std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout);
    // The process's input-idle point: its first message loop runs.
    void WaitForInputIdle(std::chrono::milliseconds timeout);

private:
    PROCESS_INFORMATION m_info{};
};

// Polls until the condition holds or the time is up; true when it held.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout, bool pumpMessages = false);

// The top-level windows of a process (or of all processes with id 0) with this exact title.
std::vector<HWND> FindTopLevelWindows(const std::wstring& title, DWORD processId = 0);
// Waits for one top-level window of a process with the exact title.
HWND WaitForWindow(const std::wstring& title, DWORD processId, std::chrono::milliseconds timeout);
std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
// A caption as the user reads it: without the ampersands that mark access keys ("&Run" is "Run").
std::wstring ShownText(const std::wstring& caption);
// The first child window (at any depth) of a class, and with this shown text unless text is empty.
HWND FindChild(HWND parent, const std::wstring& className, const std::wstring& text = L"");
// The cells of a list view, row by row, also of a list view in another process.
std::vector<std::vector<std::wstring>> ReadListView(HWND list);

}  // namespace testing_support
