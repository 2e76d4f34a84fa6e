// What the main window tells the user when something stands in the way: a sentence for the status
// bar, and the whole of it (what happened, what to do, which file) for the error display. The
// words are made from the facts of a failure alone, from the string table.
#pragma once

#include <string>

#include "ui/ClientLaunch.h"
#include "ui/SettingsPass.h"

namespace ui {

struct TStatusReport {
    // One sentence. Its first clause, up to the first colon, names the problem and fits the status
    // bar; the rest says what to do and with which file, as far as the bar has room for it.
    std::wstring sentence;
    // The whole explanation in short paragraphs; it ends in a period.
    std::wstring explanation;
};

// Why the settings file could not be tuned or restored, or why a run would not touch it; empty
// for no failure.
TStatusReport TuneFailureReport(const TTuneResult& failure);
// Why the client's program could not be started.
TStatusReport LaunchFailureReport(const TLaunchResult& failure);
// What the user must know when the close could not put the settings back; empty when the file
// cannot be one that is tuned. tuned: a run of this session tuned it.
std::wstring RestoreFailureText(const TTuneResult& failure, bool tuned);

}  // namespace ui
