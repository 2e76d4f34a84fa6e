#include "framework/ErrorDisplay.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "framework/Paths.h"
#include "framework/StringIds.h"
#include "framework/Text.h"
#include "framework/ThrowSite.h"

namespace framework {

namespace {

TMessageBoxFunction& MessageBoxFunction() {
    static TMessageBoxFunction function;
    return function;
}

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) {
    if (const TMessageBoxFunction& function = MessageBoxFunction()) {
        return function(owner, text, caption, flags);
    }
    return MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

// While a modal box shows, every other enabled top-level window of the program is disabled,
// as a dialog would disable its owner, and enabled again afterwards.
class DisabledTaskWindows {
public:
    DisabledTaskWindows() { EnumThreadWindows(GetCurrentThreadId(), &Disable, reinterpret_cast<LPARAM>(this)); }
    ~DisabledTaskWindows() {
        for (HWND window : m_windows) {
            EnableWindow(window, TRUE);
        }
    }
    DisabledTaskWindows(const DisabledTaskWindows&) = delete;
    DisabledTaskWindows& operator=(const DisabledTaskWindows&) = delete;

private:
    static BOOL CALLBACK Disable(HWND window, LPARAM self) {
        if (IsWindowVisible(window) && IsWindowEnabled(window)) {
            EnableWindow(window, FALSE);
            reinterpret_cast<DisabledTaskWindows*>(self)->m_windows.push_back(window);
        }
        return TRUE;
    }

    std::vector<HWND> m_windows;
};

}  // namespace

std::wstring WithClosingPeriod(std::wstring_view message) {
    std::wstring text(message);
    if (!text.empty() && static_cast<unsigned>(text.back()) > static_cast<unsigned>(L'.')) {
        text += L'.';
    }
    return text;
}

void ShowErrorMessage(HWND owner, const std::wstring& caption, std::wstring_view message) {
    const HWND active = GetActiveWindow();

    // With several monitors, the box shows on the monitor of the window the user works in.
    RECT ownerRect{};
    bool moved = false;
    if (owner != nullptr && active != nullptr && GetWindowRect(owner, &ownerRect)) {
        const HMONITOR target = MonitorFromWindow(active, MONITOR_DEFAULTTONEAREST);
        if (target != MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)) {
            MONITORINFO info{};
            info.cbSize = sizeof info;
            GetMonitorInfoW(target, &info);
            SetWindowPos(owner, nullptr, (info.rcWork.left + info.rcWork.right) / 2,
                         (info.rcWork.top + info.rcWork.bottom) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            moved = true;
        }
    }

    {
        DisabledTaskWindows disabled;
        ShowMessageBox(owner, WithClosingPeriod(message), caption, MB_OK | MB_ICONSTOP);
    }
    if (moved) {
        SetWindowPos(owner, nullptr, ownerRect.left, ownerRect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (active != nullptr && IsWindow(active)) {
        SetActiveWindow(active);
    }
}

void ShowApplicationError(const std::string& className) {
    // C++ keeps no faulting address with the exception object; the nearest is the throw site,
    // which every throw records on its way out.
    void* site = LastThrowSite();
    HMODULE module = nullptr;
    std::wstring moduleName;
    if (site != nullptr &&
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCWSTR>(site), &module)) {
        moduleName = FileNameOf(ModuleFileName(module));
    }
    // The offset as the C runtime's "%p" writes it: every hex digit of an address.
    const auto offset = reinterpret_cast<std::uintptr_t>(site) - reinterpret_cast<std::uintptr_t>(module);
    ShowMessageBox(
        nullptr,
        FormatText(IDS_APPLICATION_ERROR, {FromUtf8(className), moduleName, HexText(offset, 2 * sizeof offset)}),
        LoadText(IDS_APPLICATION_ERROR_CAPTION), MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

TMessageBoxFunction SetMessageBoxFunction(TMessageBoxFunction function) {
    return std::exchange(MessageBoxFunction(), std::move(function));
}

}  // namespace framework
