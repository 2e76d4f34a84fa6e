#include "ui/ClientLocator.h"

#include "framework/Registry.h"

namespace ui {

std::wstring ClientFolder() {
    framework::TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (!registry.OpenKey(kClientKey, false)) {
        return {};
    }
    return registry.ReadString(L"");
}

std::wstring ClientFilePath(std::wstring_view fileName) {
    const std::wstring folder = ClientFolder();
    if (folder.empty()) {
        return {};
    }
    return folder + L"\\" + std::wstring(fileName);
}

bool IsExistingFile(const std::wstring& path) {
    if (path.empty()) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace ui
