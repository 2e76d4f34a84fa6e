#include "app/Startup.h"

#include "framework/Application.h"
#include "framework/ErrorDisplay.h"
#include "ui/Mainform.h"

#include <memory>

namespace app {

namespace {

// Held for the whole life of the process and closed only by the system when it ends: the name
// is the marker a second start looks for.
HANDLE g_instanceMutex = nullptr;

// When another instance owns the marker and its application window can be found, asks it to
// come back to the front and reports true.
bool WokeRunningInstance() {
    g_instanceMutex = CreateMutexW(nullptr, TRUE, kApplicationTitle);
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && g_instanceMutex != nullptr) {
        return false;
    }
    const HWND running = FindWindowW(nullptr, kApplicationTitle);
    if (running == nullptr) {
        // The other instance has not set its title yet, or the marker is held by something
        // else: start as a full instance.
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
        // COM first: the main window's creation handler already reads the settings file.
        application->Initialize();
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
