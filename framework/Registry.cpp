#include "framework/Registry.h"

#include <algorithm>
#include <vector>

#include "framework/Exceptions.h"
#include "framework/StringIds.h"
#include "framework/Text.h"

namespace framework {

TRegistry::TRegistry(REGSAM access) noexcept : m_access(access) {}

TRegistry::~TRegistry() {
    CloseKey();
}

void TRegistry::SetRootKey(HKEY root) noexcept {
    CloseKey();
    m_rootKey = root;
}

bool TRegistry::OpenKey(std::wstring_view key, bool canCreate) {
    CloseKey();
    const std::wstring name(key);
    HKEY opened = nullptr;
    const LSTATUS status = canCreate ? RegCreateKeyExW(m_rootKey, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                       m_access, nullptr, &opened, nullptr)
                                     : RegOpenKeyExW(m_rootKey, name.c_str(), 0, m_access, &opened);
    if (status != ERROR_SUCCESS) {
        return false;
    }
    m_currentKey = opened;
    return true;
}

void TRegistry::CloseKey() noexcept {
    if (m_currentKey != nullptr) {
        RegCloseKey(m_currentKey);
        m_currentKey = nullptr;
    }
}

std::wstring TRegistry::ReadString(std::wstring_view name) const {
    DWORD type = REG_NONE;
    return ReadStringOfType(name, type);
}

std::wstring TRegistry::ReadExpandedString(std::wstring_view name) const {
    DWORD type = REG_NONE;
    std::wstring text = ReadStringOfType(name, type);
    if (type != REG_EXPAND_SZ || text.empty()) {
        return text;
    }
    // The expanded length is known only by asking, and a variable may change in between; where
    // nothing can be expanded, the text as stored is the best there is.
    std::wstring expanded(ExpandEnvironmentStringsW(text.c_str(), nullptr, 0), L'\0');
    while (!expanded.empty()) {
        const DWORD needed =
            ExpandEnvironmentStringsW(text.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
        if (needed == 0) {
            break;
        }
        if (needed <= expanded.size()) {
            expanded.resize(needed - 1);
            return expanded;
        }
        expanded.resize(needed);
    }
    return text;
}

std::wstring TRegistry::ReadStringOfType(std::wstring_view name, DWORD& type) const {
    type = REG_NONE;
    const std::wstring valueName(name);
    DWORD size = 0;
    if (m_currentKey == nullptr ||
        RegQueryValueExW(m_currentKey, valueName.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS ||
        size == 0) {
        return {};
    }
    // Room for one more character than the data holds, so that data of odd length or without
    // its terminating NUL still reads whole.
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD read = size;
    if (RegQueryValueExW(m_currentKey, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &read) != ERROR_SUCCESS) {
        throw ERegistryException(FormatText(IDS_REGISTRY_GET_DATA_FAILED, {name}));
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        throw ERegistryTypeError(FormatText(IDS_REGISTRY_INVALID_TYPE, {name}), type);
    }
    const auto end = buffer.begin() + static_cast<std::ptrdiff_t>(read / sizeof(wchar_t));
    return std::wstring(buffer.begin(), std::find(buffer.begin(), end, L'\0'));
}

}  // namespace framework
