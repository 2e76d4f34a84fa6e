#include "ui/ClientLocator.h"

#include "framework/Win32.h"
#include <shlobj.h>

#include "framework/Paths.h"
#include "framework/Registry.h"

namespace ui {

namespace {

// The roaming application-data folder, named here: libuuid keeps every id the SDK declares in one
// object, and taking this one from it would bring 40 KB of others into the program.
constexpr KNOWNFOLDERID kRoamingAppData = {0x3eb685db,
                                           0x65f9,
                                           0x4cf6,
                                           {0xa0, 0x3a, 0xe3, 0xef, 0x65, 0x72, 0x9f, 0x3d}};

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// "X:\..." names one place whatever the current directory; "X:..." and "\..." do not.
bool IsDrivePath(std::wstring_view path) {
    return path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && IsSeparator(path[2]);
}

// "server\share...", as it follows the two leading separators of a network name.
bool IsServerShare(std::wstring_view rest) {
    const std::size_t separator = rest.find_first_of(L"\\/");
    if (separator == 0 || separator == std::wstring_view::npos) {
        return false;
    }
    const std::wstring_view server = rest.substr(0, separator);
    const std::wstring_view share = rest.substr(separator + 1);
    // "\\.\" and "\\?\" are the device namespaces, not servers.
    return server != L"." && server != L"?" && !share.empty() && !IsSeparator(share.front());
}

bool IsFullPath(std::wstring_view path) {
    constexpr std::wstring_view kLongForm = L"\\\\?\\";
    constexpr std::wstring_view kLongUnc = L"UNC\\";
    if (path.starts_with(kLongForm)) {
        const std::wstring_view rest = path.substr(kLongForm.size());
        return IsDrivePath(rest) ||
               (rest.size() > kLongUnc.size() && framework::SamePathText(rest.substr(0, kLongUnc.size()), kLongUnc) &&
                IsServerShare(rest.substr(kLongUnc.size())));
    }
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        return IsServerShare(path.substr(2));
    }
    return IsDrivePath(path);
}

// Installers write the folder in more than one way; the client reads them all as one folder.
std::wstring NormalizedFolder(std::wstring folder) {
    if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"') {
        folder = folder.substr(1, folder.size() - 2);
    }
    if (!folder.empty() && !IsFullPath(folder)) {
        throw EClientFolderError(TFolderProblem::NotFullPath, folder);
    }
    while (folder.size() > 1 && IsSeparator(folder.back())) {
        folder.pop_back();
    }
    return folder;
}

// One separator between folder and file name, also after a folder that is a lone separator.
std::wstring Join(const std::wstring& folder, std::wstring_view fileName) {
    return (IsSeparator(folder.back()) ? folder : folder + L"\\") + std::wstring(fileName);
}

// Whether Windows runs 64-bit programs: on 32-bit Windows the client has only its 32-bit program.
bool Is64BitWindows() {
    SYSTEM_INFO system{};
    GetNativeSystemInfo(&system);
    return system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
           system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64 ||
           system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}

// Of the client's program files, the one its shortcut starts.
std::wstring ProgramAmong(const TProgramFiles& programs) {
    return !programs[1].empty() && Is64BitWindows() && IsExistingFile(programs[1]) ? programs[1] : programs[0];
}

}  // namespace

EClientFolderError::EClientFolderError(TFolderProblem problem, std::wstring value)
    : ERegistryException(L"The client's registry value names no folder: " + value),
      m_problem(problem),
      m_value(std::move(value)) {}

std::wstring ClientFolder() {
    framework::TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (!registry.OpenKey(kClientKey, false)) {
        return {};
    }
    std::wstring folder = NormalizedFolder(registry.ReadExpandedString(L""));
    // The program's own path is a mistake made by hand; its folder would hold no settings file.
    if (const DWORD attributes = folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(folder.c_str());
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        throw EClientFolderError(TFolderProblem::NamesAFile, folder);
    }
    return folder;
}

std::wstring FilePathIn(const std::wstring& folder, std::wstring_view fileName) {
    return folder.empty() ? std::wstring() : Join(folder, fileName);
}

std::wstring SettingsPathIn(const std::wstring& folder, std::wstring* roaming) {
    const std::wstring installed = FilePathIn(folder, kSettingsFileName);
    if (installed.empty() || IsExistingFile(installed)) {
        return installed;
    }
    // The client looks in its own folder first and then in the roaming folder; so does this.
    const std::wstring roamingPath = RoamingSettingsPath();
    if (roaming != nullptr) {
        *roaming = roamingPath;
    }
    return IsExistingFile(roamingPath) ? roamingPath : installed;
}

TProgramFiles ProgramFilesIn(const std::wstring& folder) {
    return {FilePathIn(folder, kExecutableFileName), FilePathIn(folder, kExecutable64FileName)};
}

std::wstring ProgramIn(const std::wstring& folder) {
    return ProgramAmong(ProgramFilesIn(folder));
}

std::wstring ClientProgramPath() {
    return ProgramIn(ClientFolder());
}

std::wstring ClientFilePath(std::wstring_view fileName) {
    return FilePathIn(ClientFolder(), fileName);
}

std::wstring ClientSettingsPath() {
    return SettingsPathIn(ClientFolder());
}

std::wstring RoamingSettingsPath() {
    PWSTR roaming = nullptr;
    std::wstring path;
    if (SUCCEEDED(SHGetKnownFolderPath(kRoamingAppData, 0, nullptr, &roaming)) && roaming != nullptr &&
        *roaming != L'\0') {
        std::wstring folder = roaming;
        while (folder.size() > 1 && IsSeparator(folder.back())) {
            folder.pop_back();
        }
        path = Join(folder + L"\\BitComet", kSettingsFileName);
    }
    CoTaskMemFree(roaming);
    return path;
}

TClientFiles LocateClientFiles() {
    TClientFiles files;
    try {
        files.folder = ClientFolder();
        files.settings = SettingsPathIn(files.folder, &files.roamingSettings);
        files.programs = ProgramFilesIn(files.folder);
        files.executable = ProgramAmong(files.programs);
    } catch (const EClientFolderError& error) {
        files = {};
        files.registry = {error.Problem(), error.Value()};
    } catch (const framework::ERegistryTypeError& error) {
        files = {};
        files.registry = {TFolderProblem::WrongType, {}, error.Type()};
    } catch (const framework::ERegistryException& error) {
        files = {};
        files.registry = {TFolderProblem::Unreadable, error.Message()};
    }
    return files;
}

bool StillLocated(const TClientFiles& files) {
    try {
        return ClientSettingsPath() == files.settings;
    } catch (const framework::ERegistryException&) {
        // A value that cannot be read names no file, least of all this one.
        return false;
    }
}

bool IsInstalled(const TProgramFiles& programs) {
    return IsExistingFile(programs[0]) || IsExistingFile(programs[1]);
}

bool IsExistingFile(const std::wstring& path) {
    if (path.empty()) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace ui
