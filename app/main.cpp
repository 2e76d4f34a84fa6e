// The program's entry point: the single-instance rule, then the application and its window.
#include "app/Startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return app::Start();
}
