// Reads the cells of a list view that lives in another process. LVM_GETITEMTEXT carries
// pointers, so the request and the text are placed in the list's own process. Header-only: the
// remote-control tool uses it without the rest of the test support.
#pragma once

#include "framework/Win32.h"
#include <commctrl.h>

#include <string>
#include <vector>

namespace testing_support {

// Every row of the list, one text per column; empty when the list's process cannot be opened.
inline std::vector<std::vector<std::wstring>> ReadRemoteListView(HWND list) {
    std::vector<std::vector<std::wstring>> rows;
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process == nullptr) {
        return rows;
    }
    constexpr int kChars = 260;
    void* remote =
        VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE);
    if (remote == nullptr) {
        CloseHandle(process);
        return rows;
    }
    auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + sizeof(LVITEMW));
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        std::vector<std::wstring> cells;
        for (int column = 0; column < columns; ++column) {
            LVITEMW request{};
            request.iSubItem = column;
            request.pszText = remoteText;
            request.cchTextMax = kChars;
            WriteProcessMemory(process, remote, &request, sizeof request, nullptr);
            SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote));
            wchar_t text[kChars] = {};
            ReadProcessMemory(process, remoteText, text, sizeof text, nullptr);
            text[kChars - 1] = L'\0';
            cells.emplace_back(text);
        }
        rows.push_back(std::move(cells));
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return rows;
}

}  // namespace testing_support
