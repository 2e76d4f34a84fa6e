#include "app/Startup.h"

#include <memory>

#include "framework/Application.h"
#include "framework/ErrorDisplay.h"
#include "framework/Handles.h"
#include "ui/Mainform.h"

namespace app {

namespace {

// Held for the whole life of the process: the name is the marker a second start looks for.
framework::TKernelHandle g_instanceMutex;

// How long a start that finds the marker taken waits for the running instance's application
// window. The marker is taken first thing, the window is titled only once the application is
// set up: a start in between must not take itself for the first.
constexpr ULONGLONG kRunningInstanceWaitMs = 5000;
constexpr DWORD kRunningInstancePollMs = 50;

// The running instance's window once it shows its title, or null when none does in time or when
// the instance that held the marker ended meanwhile; this process then holds the marker itself.
HWND WaitForRunningInstance() {
    const ULONGLONG deadline = GetTickCount64() + kRunningInstanceWaitMs;
    for (;;) {
        if (const HWND running = FindWindowW(nullptr, kApplicationTitle); running != nullptr) {
            return running;
        }
        const DWORD wait = WaitForSingleObject(g_instanceMutex.Get(), kRunningInstancePollMs);
        if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED || GetTickCount64() >= deadline) {
            return nullptr;
        }
    }
}

// When another instance owns the marker and its application window can be found, asks it to
// come back to the front and reports true.
bool WokeRunningInstance() {
    g_instanceMutex.Reset(CreateMutexW(nullptr, TRUE, kApplicationTitle));
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && g_instanceMutex) {
        return false;
    }
    // Without a handle (the name is taken by something else) there is nothing to wait for.
    const HWND running = g_instanceMutex ? WaitForRunningInstance() : FindWindowW(nullptr, kApplicationTitle);
    if (running == nullptr) {
        return false;
    }
    PostMessageW(running, WM_SYSCOMMAND, SC_RESTORE, 0);
    SetForegroundWindow(running);
    return true;
}

// The last line of error handling: an exception that escapes start-up. Without an
// application window (its creation failed) the box has no owner but the same caption.
void ShowStartupError(framework::TApplication* application, const std::wstring& message) {
    if (application != nullptr && application->Handle() != nullptr) {
        application->ShowException(framework::Exception(message));
        return;
    }
    framework::ShowErrorMessage(nullptr, kApplicationTitle, message);
}

}  // namespace

int Start() {
    if (WokeRunningInstance()) {
        return kExitWokeRunningInstance;
    }
    std::unique_ptr<framework::TApplication> application;
    try {
        application = std::make_unique<framework::TApplication>();
        application->SetTitle(kApplicationTitle);
        application->CreateForm(ui::Form_Main);
        application->Run();
    } catch (const framework::Exception& exception) {
        ShowStartupError(application.get(), exception.Message());
    } catch (...) {
        ShowStartupError(application.get(), L"");
    }
    return 0;
}

}  // namespace app
