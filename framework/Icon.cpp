#include "framework/Icon.h"

namespace framework {

TIcon::~TIcon() {
    Clear();
}

void TIcon::Assign(const TIcon& source) {
    if (&source == this) {
        return;
    }
    // A shared icon lives as long as the program, so it is shared in turn: a copy would cost a new
    // icon of the system's (about 1 ms of the start under Wine) for nothing.
    if (!source.m_owned) {
        Share(source.m_handle);
        return;
    }
    Adopt(source.m_handle != nullptr ? CopyIcon(source.m_handle) : nullptr);
}

void TIcon::Adopt(HICON handle) noexcept {
    Clear();
    m_handle = handle;
    m_owned = handle != nullptr;
}

void TIcon::Share(HICON handle) noexcept {
    Clear();
    m_handle = handle;
    m_owned = false;
}

void TIcon::Clear() noexcept {
    if (m_handle != nullptr && m_owned) {
        DestroyIcon(m_handle);
    }
    m_handle = nullptr;
    m_owned = false;
}

}  // namespace framework
