// TUtilityWindow: a hidden window whose every message goes to one handler, for components that
// need a window of their own (timers, notification-area icons).
#pragma once

#include <functional>

#include "framework/Window.h"

namespace framework {

class TUtilityWindow : public TWindow {
public:
    using THandler = std::function<void(TMessage& message)>;

    // Creates the window. It is a hidden top-level window rather than a message-only one, so
    // that broadcasts (end of session, a restarted taskbar) reach it too.
    explicit TUtilityWindow(THandler handler);

protected:
    // Every message goes to the handler alone, never to the default procedure: the handler
    // decides each result.
    void WndProc(TMessage& message) override;

private:
    THandler m_handler;
};

}  // namespace framework
