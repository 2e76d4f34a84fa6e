// Starting the client's program once its settings are tuned.
#pragma once

#include <string>

#include "ui/ClientLocator.h"

namespace ui {

// Why the client's program could not be started, as far as the user can act on it.
enum class TLaunchProblem {
    None,
    NoProgram,    // nothing at the program's path
    NotAProgram,  // a folder stands at the program's path
    PathTooLong,  // the program is there, but its path is too long for Windows to start it from
    Other,        // the system refused for another reason
};

struct TLaunchResult {
    TLaunchProblem problem = TLaunchProblem::None;
    // The program that was to be started.
    std::wstring program;
    // The system's error code when it was not started, else 0.
    unsigned long systemError = 0;

    bool Succeeded() const noexcept { return problem == TLaunchProblem::None; }
};

// Starts the client's program of files in the client's folder, as its shortcut does: by its quoted
// path and without arguments. Nothing waits for it.
TLaunchResult StartClient(const TClientFiles& files);

}  // namespace ui
