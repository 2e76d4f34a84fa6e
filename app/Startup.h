// Start-up: refuse a second instance (waking the first), then run the application.
#pragma once

#include "framework/Win32.h"

namespace app {

// The application title: the instance mutex's name, the application window's text that a
// second start searches for, and the caption of every error box.
inline constexpr wchar_t kApplicationTitle[] = L"Torvane for BitComet";

// Exit code of a start that only woke the running instance.
inline constexpr int kExitWokeRunningInstance = -1;

// Runs the program and returns its exit code.
int Start();

}  // namespace app
