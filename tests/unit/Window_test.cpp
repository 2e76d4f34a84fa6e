// The window base when someone else destroys its window.
#include "framework/Window.h"

#include <gtest/gtest.h>

namespace framework {
namespace {

class TProbeWindow : public TWindow {
public:
    explicit TProbeWindow(bool systemControl) {
        TCreateParams params;
        params.style = WS_POPUP;
        if (systemControl) {
            CreateSystemControl(L"BUTTON", params);
        } else {
            CreateOwnWindow(TWindowClass{.name = L"TProbeWindow"}, params);
        }
    }
    int destroyed = 0;

protected:
    void HandleDestroyed() override { ++destroyed; }
};

TEST(Window, AnOutsideDestroyWindowLeavesNoStalePointer) {
    for (const bool systemControl : {false, true}) {
        SCOPED_TRACE(systemControl ? "subclassed system control" : "own window class");
        TProbeWindow window(systemControl);
        const HWND handle = window.Handle();
        ASSERT_EQ(TWindow::FromHandle(handle), &window);

        DestroyWindow(handle);
        EXPECT_FALSE(window.HandleAllocated());
        EXPECT_EQ(window.destroyed, 1);
        EXPECT_EQ(TWindow::FromHandle(handle), nullptr);

        // Nothing is left to destroy, now or when the wrapper goes.
        window.DestroyHandle();
        EXPECT_EQ(window.destroyed, 1);
    }
}

}  // namespace
}  // namespace framework
