// TRegistry: one registry key at a time under a chosen root, opened with chosen access rights,
// and its string values.
#pragma once

#include "framework/Win32.h"

#include <string>
#include <string_view>

namespace framework {

class TRegistry {
public:
    // Read access by default: reading a value must not need the right to change it.
    explicit TRegistry(REGSAM access = KEY_READ) noexcept;
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const noexcept { return m_rootKey; }
    void SetRootKey(HKEY root) noexcept;
    // The open key, or null when none is open.
    HKEY CurrentKey() const noexcept { return m_currentKey; }

    // Opens key below the root with the access rights given at construction, creating it only
    // when canCreate is set. False, with no key open, when that fails.
    bool OpenKey(std::wstring_view key, bool canCreate);
    void CloseKey() noexcept;

    // The text of a string value of the open key, cut at its first NUL. Empty when no key is
    // open, the value is missing or its data is empty; an expandable string is returned as
    // stored. Raises ERegistryException when the data cannot be read, and ERegistryTypeError when
    // it is not a string.
    std::wstring ReadString(std::wstring_view name) const;
    // As ReadString, but an expandable string comes back with its environment variables
    // expanded, as a program that uses the value would see it.
    std::wstring ReadExpandedString(std::wstring_view name) const;

private:
    std::wstring ReadStringOfType(std::wstring_view name, DWORD& type) const;

    HKEY m_rootKey = HKEY_CURRENT_USER;
    REGSAM m_access;
    HKEY m_currentKey = nullptr;
};

}  // namespace framework
