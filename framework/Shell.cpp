#include "framework/Shell.h"

#include <shellapi.h>

#include <utility>

namespace framework {

namespace {

TShellExecutor& Executor() {
    static TShellExecutor executor;
    return executor;
}

}  // namespace

void ShellOpen(HWND owner, std::wstring_view file, int show) {
    TShellRequest request{owner, L"open", std::wstring(file), show};
    if (Executor()) {
        Executor()(request);
        return;
    }
    ShellExecuteW(owner, request.verb.c_str(), request.file.c_str(), nullptr, nullptr, show);
}

TShellExecutor SetShellExecutor(TShellExecutor executor) {
    return std::exchange(Executor(), std::move(executor));
}

}  // namespace framework
