// TUtilityWindow: a hidden window whose every message goes to one handler, for components that
// need a window of their own (timers, notification-area icons).
#pragma once

#include <functional>

#include "framework/Window.h"

namespace framework {

class TUtilityWindow : public TWindow {
public:
    using THandler = std::function<void(TMessage& message)>;

    // Creates the window. It is message-only: a top-level window, even a hidden one, is among the
    // dearer things a start creates. Broadcasts (end of session, a restarted taskbar) therefore
    // never reach it; a component that needs them has its owner pass them on.
    explicit TUtilityWindow(THandler handler);

protected:
    // Every message goes to the handler alone, never to the default procedure: the handler
    // decides each result.
    void WndProc(TMessage& message) override;

private:
    THandler m_handler;
};

}  // namespace framework
