// Times a start of torvane.exe, from process creation to its main window on screen, against a
// minimal Win32 program that only opens a window, in the same run under the same Wine; and
// reports the working set once the window is up. The program starts on a registered client
// with a typical settings file of about 50 KB, which it restores on every start.
#include "framework/Win32.h"
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

using namespace testing_support;
using Clock = std::chrono::steady_clock;

constexpr int kRepetitions = 11;

struct Measurement {
    double milliseconds = 0;
    SIZE_T workingSet = 0;
};

// Starts the program and waits for a visible top-level window of it with the title; then asks
// it to close and waits for it to end.
Measurement StartOnce(const std::wstring& executable, const std::wstring& title) {
    const auto start = Clock::now();
    Process process(executable, L"");
    HWND window = nullptr;
    while (window == nullptr) {
        for (HWND candidate : FindTopLevelWindows(title, process.Id())) {
            if (IsWindowVisible(candidate)) {
                window = candidate;
            }
        }
        if (window == nullptr) {
            if (Clock::now() - start > std::chrono::seconds(30)) {
                std::fprintf(stderr, "no window appeared\n");
                std::exit(1);
            }
            Sleep(1);
        }
    }
    Measurement measurement;
    measurement.milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process.Handle(), &counters, sizeof counters)) {
        measurement.workingSet = counters.WorkingSetSize;
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    process.WaitForExit(std::chrono::seconds(30));
    return measurement;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string SettingsFile(std::size_t size) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<BitComet>\r\n\t<Settings>\r\n";
    for (int index = 0; text.size() < size; ++index) {
        const std::string number = std::to_string(index);
        text += "\t\t<Setting" + number + ">value " + number + "</Setting" + number + ">\r\n";
    }
    return text + "\t</Settings>\r\n</BitComet>\r\n";
}

std::wstring BesideThisProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

}  // namespace

int main() {
    const std::wstring torvane = BesideThisProgram(L"..\\app\\torvane.exe");
    const std::wstring minimal = BesideThisProgram(L"minimal_window.exe");
    ScratchFolder client(L"startup-bench");
    ClientRegistration registration;
    registration.SetFolder(client.Path());
    const std::string settings = SettingsFile(50 * 1024);

    std::vector<double> baseline;
    std::vector<double> program;
    SIZE_T baselineMemory = 0;
    SIZE_T programMemory = 0;
    // One start of each to warm the caches, then the two take turns.
    for (int round = 0; round <= kRepetitions; ++round) {
        const Measurement base = StartOnce(minimal, L"Minimal window");
        SetFileAttributesW((client / L"BitComet.xml").c_str(), FILE_ATTRIBUTE_NORMAL);
        WriteText(client / L"BitComet.xml", settings);
        const Measurement ours = StartOnce(torvane, L"Torvane for BitComet 1.0");
        if (round > 0) {
            baseline.push_back(base.milliseconds);
            program.push_back(ours.milliseconds);
            baselineMemory = std::max(baselineMemory, base.workingSet);
            programMemory = std::max(programMemory, ours.workingSet);
        }
    }
    const double base = Median(baseline);
    const double ours = Median(program);
    std::printf("start-up to a visible main window, median of %d starts (settings file %zu bytes)\n", kRepetitions,
                settings.size());
    std::printf("| program | start-up (ms) | working set after start (MB) |\n|---|---|---|\n");
    std::printf("| minimal Win32 window | %.0f | %.1f |\n", base, static_cast<double>(baselineMemory) / (1 << 20));
    std::printf("| torvane.exe | %.0f | %.1f |\n", ours, static_cast<double>(programMemory) / (1 << 20));
    std::printf("ratio %.2f (target: at most 1.8)\n", ours / base);
    return 0;
}
