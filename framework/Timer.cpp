#include "framework/Timer.h"

#include "framework/Exceptions.h"
#include "framework/StringIds.h"
#include "framework/Text.h"

namespace framework {

namespace {

constexpr UINT_PTR kTimerId = 1;

}  // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner) {}

TTimer::~TTimer() {
    if (m_running) {
        KillTimer(m_window->Handle(), kTimerId);
    }
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled != m_enabled) {
        m_enabled = enabled;
        UpdateTimer();
    }
}

void TTimer::SetInterval(unsigned interval) {
    if (interval != m_interval) {
        m_interval = interval;
        UpdateTimer();
    }
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
    m_onTimer = std::move(handler);
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    if (m_running) {
        KillTimer(m_window->Handle(), kTimerId);
        m_running = false;
    }
    if (m_interval != 0 && m_enabled && m_onTimer) {
        if (!m_window) {
            m_window.emplace([this](TMessage& message) { HandleMessage(message); });
        }
        m_running = SetTimer(m_window->Handle(), kTimerId, m_interval, nullptr) != 0;
        if (!m_running) {
            throw EOutOfResources(LoadText(IDS_NO_TIMERS));
        }
    }
}

void TTimer::HandleMessage(TMessage& message) {
    if (message.Msg == WM_TIMER) {
        if (m_onTimer) {
            m_onTimer(*this);
        }
        return;
    }
    message.Result = DefWindowProcW(m_window->Handle(), message.Msg, message.WParam, message.LParam);
}

}  // namespace framework
