// The timer component after it is destroyed.
#include "framework/Timer.h"

#include <gtest/gtest.h>
#include <memory>

#include "tests/support/TestSupport.h"

namespace framework {
namespace {

using namespace std::chrono_literals;

TEST(Timer, ADestroyedTimerNeverFiresAgain) {
    int ticks = 0;
    auto timer = std::make_unique<TTimer>(nullptr);
    timer->SetInterval(10);
    timer->SetOnTimer([&](TComponent&) { ++ticks; });
    ASSERT_TRUE(testing_support::WaitUntil([&] { return ticks > 0; }, 5s, true));

    // A tick falls due while nobody looks, then the timer goes before the queue is read.
    Sleep(50);
    timer.reset();
    const int before = ticks;
    testing_support::WaitUntil([] { return false; }, 100ms, true);
    EXPECT_EQ(ticks, before);
}

}  // namespace
}  // namespace framework
