// TTimer: a component that raises OnTimer every Interval milliseconds while enabled. Ticks
// arrive as window messages on the thread that first started the timer.
#pragma once

#include <optional>

#include "framework/Component.h"
#include "framework/UtilityWindow.h"

namespace framework {

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const noexcept { return m_enabled; }
    void SetEnabled(bool enabled);
    unsigned Interval() const noexcept { return m_interval; }
    void SetInterval(unsigned interval);
    void SetOnTimer(TNotifyEvent handler);
    // Whether a system timer is running now.
    bool Running() const noexcept { return m_running; }

private:
    void UpdateTimer();
    void HandleMessage(TMessage& message);

    // Made when the timer first runs: a hidden top-level window is among the dearer things a start
    // creates, and a timer may never run, as an animation that waits for the user.
    std::optional<TUtilityWindow> m_window;
    bool m_enabled = true;
    unsigned m_interval = 1000;
    TNotifyEvent m_onTimer;
    bool m_running = false;
};

}  // namespace framework
