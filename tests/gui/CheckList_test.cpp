// Playing the check list: final texts, pauses before each row, message handling between rows.
#include "tests/gui/GuiTest.h"

#include <chrono>

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
        const std::vector<std::wstring> expected = {installed ? L"OK" : L"Error", L"OK", L"OK", L"OK",
                                                    L"OK",                        L"OK", L"OK", L"OK"};
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
    // One tick is handled before each of rows 1 to 7 and none during the pauses.
    ASSERT_EQ(snapshots.size(), 7u);
    const int pauses[] = {1000, 500, 1000, 100, 1500, 100, 100};
    int elapsed = 0;
    for (int row = 1; row <= 7; ++row) {
        const Snapshot& snapshot = snapshots[row - 1];
        SCOPED_TRACE(testing::Message() << "before row " << row);
        EXPECT_GE(snapshot.at, std::chrono::milliseconds(elapsed));
        for (int shown = 0; shown < 8; ++shown) {
            EXPECT_EQ(snapshot.states[shown].empty(), shown >= row) << "row " << shown;
        }
        elapsed += pauses[row - 1];
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
