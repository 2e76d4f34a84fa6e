#include "tests/support/TestSupport.h"

#include "framework/Win32.h"
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

#include "framework/Files.h"
#include "framework/Paths.h"
#include "framework/Text.h"
#include "tests/support/RemoteListView.h"

namespace testing_support {

namespace {

constexpr wchar_t kClientKey[] = L"Software\\BitComet";

std::wstring EnvironmentVariable(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) {
        return {};
    }
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what + " (error " + std::to_string(GetLastError()) + ")");
}

}  // namespace

std::vector<std::wstring>& MutableTestArguments() {
    static std::vector<std::wstring> arguments;
    return arguments;
}

const std::vector<std::wstring>& TestArguments() {
    return MutableTestArguments();
}

std::wstring WindowsPath(const std::wstring& path) {
    if (path.empty() || path.front() != L'/') {
        return path;
    }
    std::wstring windows = L"Z:" + path;
    std::replace(windows.begin(), windows.end(), L'/', L'\\');
    return windows;
}

std::wstring SourcePath(const std::wstring& relative) {
    std::wstring path = WindowsPath(EnvironmentVariable(L"TORVANE_SOURCE_DIR")) + L"\\" + relative;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

ScratchFolder::ScratchFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring base = std::wstring(temp) + L"torvane-tests";
    CreateDirectoryW(base.c_str(), nullptr);
    // Wine hands out the same few process ids run after run: a folder that an earlier run could not
    // remove is passed over.
    static unsigned counter = 0;
    for (;;) {
        m_path = base + L"\\" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) +
                 (name.empty() ? L"" : L"-" + name);
        RemoveTree(m_path);
        if (CreateDirectoryW(m_path.c_str(), nullptr)) {
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            Fail("cannot create scratch folder");
        }
    }
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(m_path);
}

namespace {

// The links this process made and what they point to. Wine deletes what a link to a file points
// to rather than the link, and walks through a link to a folder, so a link goes by its own name
// before the folder that holds it or the one it points into: else a test would delete a file
// it never made, or leave a link behind that a later run, given the same process id by Wine,
// would walk through into its own new folder.
struct MadeLink {
    std::wstring link;
    std::wstring target;
};
std::vector<MadeLink>& LinksMade() {
    static std::vector<MadeLink> links;
    return links;
}

bool IsWithin(const std::wstring& path, const std::wstring& folder) {
    return path.size() >= folder.size() && framework::SamePathText(path.substr(0, folder.size()), folder) &&
           (path.size() == folder.size() || path[folder.size()] == L'\\');
}

void RemoveLink(const std::wstring& link) {
    const std::wstring host = HostPath(link);
    if (host.empty()) {
        if (!RemoveDirectoryW(link.c_str())) {
            DeleteFileW(link.c_str());
        }
        return;
    }
    const std::size_t separator = link.find_last_of(L'\\');
    const std::wstring folder = link.substr(0, separator);
    const std::wstring name = link.substr(separator + 1);
    // Listed while what it points to is there, which is why links go first.
    if (StartHostProgram(L"/bin/rm", L"rm -f \"" + host + L"\"")) {
        WaitUntil(
            [&] {
                const std::vector<std::wstring> entries = FolderEntries(folder);
                return std::find(entries.begin(), entries.end(), name) == entries.end();
            },
            10s);
    }
}

void RemoveEntries(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    // A link to a folder that no record names (made by the system or an earlier run) goes itself
    // where the system lets it, and is never walked into.
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        if (!RemoveDirectoryW(path.c_str())) {
            DeleteFileW(path.c_str());
        }
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        for (const std::wstring& entry : FolderEntries(path)) {
            RemoveEntries(path + L"\\" + entry);
        }
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveDirectoryW(path.c_str());
    } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
}

}  // namespace

void RemoveTree(const std::wstring& path) {
    std::erase_if(LinksMade(), [&](const MadeLink& made) {
        if (!IsWithin(made.link, path) && !IsWithin(made.target, path)) {
            return false;
        }
        RemoveLink(made.link);
        return true;
    });
    RemoveEntries(path);
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> entries;
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return entries;
    }
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") {
            entries.push_back(name);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::vector<std::uint8_t> ReadBytes(const std::wstring& path) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Fail("cannot open " + framework::ToUtf8(path));
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.insert(bytes.end(), buffer, buffer + read);
    }
    CloseHandle(file);
    return bytes;
}

std::string ReadText(const std::wstring& path) {
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

void WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Fail("cannot create " + framework::ToUtf8(path));
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size()) {
        Fail("cannot write " + framework::ToUtf8(path));
    }
}

void WriteText(const std::wstring& path, const std::string& text) {
    WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    const auto full = [](const std::wstring& path) {
        wchar_t buffer[MAX_PATH * 2] = {};
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(std::size(buffer)), buffer, nullptr);
        std::wstring result = buffer;
        while (result.size() > 3 && result.back() == L'\\') {
            result.pop_back();
        }
        return result;
    };
    return lstrcmpiW(full(a).c_str(), full(b).c_str()) == 0;
}

DWORD Attributes(const std::wstring& path) {
    return GetFileAttributesW(path.c_str());
}

ClientRegistration::ClientRegistration() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kClientKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        m_keyExisted = true;
        DWORD size = 0;
        if (RegQueryValueExW(key, L"", nullptr, &m_savedType, nullptr, &size) == ERROR_SUCCESS) {
            std::vector<std::uint8_t> data(size);
            RegQueryValueExW(key, L"", nullptr, &m_savedType, data.data(), &size);
            m_savedData = std::move(data);
        }
        RegCloseKey(key);
    }
}

ClientRegistration::~ClientRegistration() {
    Remove();
    if (m_keyExisted) {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, kClientKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
        if (m_savedData) {
            RegSetValueExW(key, L"", 0, m_savedType, m_savedData->data(), static_cast<DWORD>(m_savedData->size()));
        }
        RegCloseKey(key);
    }
}

void ClientRegistration::SetFolder(const std::wstring& folder, DWORD type) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(folder.c_str());
    SetRaw(type, std::vector<std::uint8_t>(bytes, bytes + (folder.size() + 1) * sizeof(wchar_t)));
}

void ClientRegistration::SetRaw(DWORD type, const std::vector<std::uint8_t>& data) {
    Remove();
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kClientKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        Fail("cannot create the client's registry key");
    }
    RegSetValueExW(key, L"", 0, type, data.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
}

void ClientRegistration::SetKeyOnly() {
    Remove();
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kClientKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegCloseKey(key);
}

void ClientRegistration::Remove() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kClientKey);
}

RoamingSettings::RoamingSettings() {
    PWSTR roaming = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &roaming))) {
        Fail("the system names no roaming application data folder");
    }
    m_folder = std::wstring(roaming) + L"\\BitComet";
    CoTaskMemFree(roaming);
    m_path = m_folder + L"\\BitComet.xml";
    m_folderExisted = FileExists(m_folder);
    if (FileExists(m_path)) {
        m_saved = ReadBytes(m_path);
        RemoveTree(m_path);
    }
}

RoamingSettings::~RoamingSettings() {
    if (m_folderExisted) {
        RemoveTree(m_path);
        if (m_saved) {
            WriteBytes(m_path, *m_saved);
        }
    } else {
        RemoveTree(m_folder);
    }
}

void RoamingSettings::Write(const std::string& text) const {
    CreateDirectoryW(m_folder.c_str(), nullptr);
    SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
    WriteText(m_path, text);
}

std::wstring HostPath(const std::wstring& path) {
    using UnixFileName = char*(CDECL*)(const wchar_t*);
    const auto unixFileName = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (unixFileName == nullptr) {
        return {};
    }
    char* name = unixFileName(path.c_str());
    const std::wstring text = name == nullptr ? std::wstring() : framework::FromUtf8(name);
    HeapFree(GetProcessHeap(), 0, name);
    return text;
}

bool StartHostProgram(const std::wstring& program, std::wstring commandLine) {
    if (HostPath(L"C:\\").empty()) {
        return false;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW((L"Z:" + program).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

std::optional<unsigned> HostMode(const std::wstring& path, std::optional<unsigned> mode) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    static int count = 0;
    const std::wstring answer = std::wstring(folder) + L"torvane-mode-" + std::to_wstring(GetCurrentProcessId()) +
                                L"-" + std::to_wstring(++count);
    const std::wstring file = HostPath(path);
    const std::wstring reply = HostPath(answer);
    if (file.empty() || reply.empty()) {
        return std::nullopt;
    }
    std::wstring script;
    if (mode) {
        std::wstring octal;
        for (unsigned rest = *mode; rest != 0 || octal.empty(); rest /= 8) {
            octal.insert(octal.begin(), static_cast<wchar_t>(L'0' + rest % 8));
        }
        script = L"chmod " + octal + L" \\\"$0\\\"; ";
    }
    // In a Windows command line, \" is a quote within the argument.
    script += L"stat -c %a \\\"$0\\\" > \\\"$1.part\\\" && mv \\\"$1.part\\\" \\\"$1\\\"";
    if (!StartHostProgram(L"/bin/sh", L"sh -c \"" + script + L"\" \"" + file + L"\" \"" + reply + L"\"") ||
        !WaitUntil([&] { return FileExists(answer); }, 10s)) {
        return std::nullopt;
    }
    const std::string text = ReadText(answer);
    DeleteFileW(answer.c_str());
    return static_cast<unsigned>(std::stoul(text, nullptr, 8));
}

bool MakeSymbolicLink(const std::wstring& link, const std::wstring& target) {
    const auto linked = [&] { return FileExists(link) && SamePath(framework::FinalPath(link), target); };
    if (CreateSymbolicLinkW(link.c_str(), target.c_str(), 0) && linked()) {
        LinksMade().push_back({link, target});
        return true;
    }
    if (!StartHostProgram(L"/bin/ln", L"ln -s \"" + HostPath(target) + L"\" \"" + HostPath(link) + L"\"")) {
        return false;
    }
    LinksMade().push_back({link, target});
    // A host process cannot be waited for from Wine: its handle is signalled at once.
    return WaitUntil(linked, 10s);
}

std::wstring SentWindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

Process::Process(const std::wstring& executable,
                 const std::wstring& arguments,
                 int show,
                 const std::wstring& currentDirectory) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    std::wstring commandLine = L"\"" + executable + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    if (!CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &startup, &m_info)) {
        Fail("cannot start " + framework::ToUtf8(executable));
    }
}

Process::~Process() {
    if (Running()) {
        TerminateProcess(m_info.hProcess, 1);
        WaitForSingleObject(m_info.hProcess, 5000);
    }
    CloseHandle(m_info.hThread);
    CloseHandle(m_info.hProcess);
}

bool Process::Running() const {
    return WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Process::WaitForExit(std::chrono::milliseconds timeout) {
    if (WaitForSingleObject(m_info.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(m_info.hProcess, &code);
    return code;
}

void Process::WaitForInputIdle(std::chrono::milliseconds timeout) {
    ::WaitForInputIdle(m_info.hProcess, static_cast<DWORD>(timeout.count()));
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout, bool pumpMessages) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (pumpMessages) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
}

std::vector<HWND> FindTopLevelWindows(const std::wstring& title, DWORD processId) {
    struct Search {
        const std::wstring* title;
        DWORD processId;
        std::vector<HWND> found;
    } search{&title, processId, {}};
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
            auto* state = reinterpret_cast<Search*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if ((state->processId == 0 || owner == state->processId) && WindowText(window) == *state->title) {
                state->found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(const std::wstring& title, DWORD processId, std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            const std::vector<HWND> windows = FindTopLevelWindows(title, processId);
            found = windows.empty() ? nullptr : windows.front();
            return found != nullptr;
        },
        timeout);
    return found;
}

std::wstring WindowText(HWND window) {
    wchar_t text[512] = {};
    // Read the text without sending a message, so a window that hangs cannot stall the tests.
    InternalGetWindowText(window, text, static_cast<int>(std::size(text)));
    return text;
}

std::wstring ShownText(const std::wstring& caption) {
    std::wstring shown;
    for (std::size_t at = 0; at < caption.size(); ++at) {
        if (caption[at] == L'&' && at + 1 < caption.size()) {
            ++at;
        }
        shown += caption[at];
    }
    return shown;
}

HWND FindChild(HWND parent, const std::wstring& className, const std::wstring& text) {
    struct Search {
        const std::wstring* className;
        const std::wstring* text;
        HWND found;
    } search{&className, &text, nullptr};
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM lParam) -> BOOL {
            auto* state = reinterpret_cast<Search*>(lParam);
            if (lstrcmpiW(ClassName(window).c_str(), state->className->c_str()) == 0 &&
                (state->text->empty() || ShownText(WindowText(window)) == *state->text)) {
                state->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<std::vector<std::wstring>> ReadListView(HWND list) {
    return ReadRemoteListView(list);
}

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

}  // namespace testing_support
