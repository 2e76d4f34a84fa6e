#include "ui/ClientLocator.h"

#include "framework/Registry.h"

#include <shlobj.h>

namespace ui {

namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// Installers write the folder in more than one way; the client reads them all as one folder.
std::wstring NormalizedFolder(std::wstring folder) {
    if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"') {
        folder = folder.substr(1, folder.size() - 2);
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

}  // namespace

std::wstring ClientFolder() {
    framework::TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (!registry.OpenKey(kClientKey, false)) {
        return {};
    }
    return NormalizedFolder(registry.ReadExpandedString(L""));
}

std::wstring ClientFilePath(std::wstring_view fileName) {
    const std::wstring folder = ClientFolder();
    if (folder.empty()) {
        return {};
    }
    return Join(folder, fileName);
}

std::wstring RoamingSettingsPath() {
    PWSTR roaming = nullptr;
    std::wstring path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &roaming)) && roaming != nullptr &&
        *roaming != L'\0') {
        path = Join(NormalizedFolder(roaming) + L"\\BitComet", kSettingsFileName);
    }
    CoTaskMemFree(roaming);
    return path;
}

std::wstring ClientSettingsPath() {
    const std::wstring installed = ClientFilePath(kSettingsFileName);
    if (installed.empty() || IsExistingFile(installed)) {
        return installed;
    }
    // The client looks in its own folder first and then in the roaming folder; so does this.
    if (const std::wstring roaming = RoamingSettingsPath(); IsExistingFile(roaming)) {
        return roaming;
    }
    return installed;
}

bool IsExistingFile(const std::wstring& path) {
    if (path.empty()) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace ui
