// Playing the check list: final texts, pauses before each row, message handling between rows.
#include <algorithm>
#include <chrono>

#include "tests/gui/GuiTest.h"

namespace gui_test {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::wstring> States(framework::TListView& list) {
    std::vector<std::wstring> states;
    for (int row = 0; row < list.ItemCount(); ++row) {
        states.push_back(list.ItemText(row, 1));
    }
    return states;
}

using CheckList = MainWindowTest;

TEST_F(CheckList, SetsEveryRowInPlaceWithRowZeroTellingWhetherTheClientIsInstalled) {
    auto& list = *Form().ListView_Main;
    for (const bool installed : {false, true}) {
        Form().Fill_ListView(installed);
        const std::vector<std::wstring> expected = {
            installed ? L"OK" : L"Error", L"OK", L"OK", L"OK", L"OK", L"OK", L"OK", L"OK"};
        EXPECT_EQ(States(list), expected) << "installed " << installed;
        EXPECT_EQ(list.ItemCount(), 8);
        EXPECT_EQ(list.ColumnCount(), 2);
        EXPECT_EQ(list.ItemText(0, 0), L"Check BitComet Installed...");
        EXPECT_EQ(list.ItemText(7, 0), L"Initialize Torvane...");
    }
}

struct Snapshot {
    Clock::duration at;
    std::vector<std::wstring> states;
};

TEST_F(CheckList, EachRowWaitsForItsPauseAndMessagesAreHandledBeforeEachRow) {
    // A timer tick pending at each row's message handling records what the list shows then.
    auto& list = *Form().ListView_Main;
    std::vector<Snapshot> snapshots;
    const Clock::time_point start = Clock::now();
    static std::vector<Snapshot>* sink = nullptr;
    static framework::TListView* watched = nullptr;
    static Clock::time_point origin;
    sink = &snapshots;
    watched = &list;
    origin = start;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
        sink->push_back({Clock::now() - origin, States(*watched)});
    });
    Sleep(40);
    Form().Fill_ListView(true);
    const Clock::duration total = Clock::now() - start;
    KillTimer(nullptr, timer);

    EXPECT_GE(total, std::chrono::milliseconds(4300));
    // Ticks are handled only at each row's message handling, never during a pause: every
    // snapshot shows rows 0 to n-1 set, for n from 1 to 7, and each n is seen at least once.
    const int pauses[] = {1000, 500, 1000, 100, 1500, 100, 100};
    std::vector<bool> seen(8, false);
    for (const Snapshot& snapshot : snapshots) {
        const auto set = std::count_if(snapshot.states.begin(), snapshot.states.end(),
                                       [](const std::wstring& state) { return !state.empty(); });
        ASSERT_GE(set, 1);
        ASSERT_LE(set, 7);
        for (int row = 0; row < 8; ++row) {
            EXPECT_EQ(snapshot.states[row].empty(), row >= set) << "a row was set out of order";
        }
        if (!seen[set]) {
            seen[set] = true;
            // The first time row `set` is about to be played, all pauses before it have passed.
            int elapsed = 0;
            for (int row = 1; row < set; ++row) {
                elapsed += pauses[row - 1];
            }
            EXPECT_GE(snapshot.at, std::chrono::milliseconds(elapsed)) << "before row " << set;
        }
    }
    for (int row = 1; row <= 7; ++row) {
        EXPECT_TRUE(seen[row]) << "no message was handled before row " << row;
    }
}

TEST_F(CheckList, AQuitMessageFoundBetweenRowsOnlyMarksTheApplicationTerminated) {
    PostQuitMessage(0);
    Form().Fill_ListView(false);
    EXPECT_TRUE(framework::Application->Terminated());
    EXPECT_EQ(Form().ListView_Main->ItemText(7, 1), L"OK");
}

}  // namespace
}  // namespace gui_test
