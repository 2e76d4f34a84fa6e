#include "framework/Shell.h"

#include "framework/Win32.h"
#include <shellapi.h>

#include <utility>

#include "framework/Com.h"

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
    // What handles the verb may be a shell extension, and those are COM objects. Nothing else in
    // the program needs COM, so the apartment is joined here, once, and not at every start.
    thread_local const ComApartment apartment;
    ShellExecuteW(owner, request.verb.c_str(), request.file.c_str(), nullptr, nullptr, show);
}

TShellExecutor SetShellExecutor(TShellExecutor executor) {
    return std::exchange(Executor(), std::move(executor));
}

}  // namespace framework
