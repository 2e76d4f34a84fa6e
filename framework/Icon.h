// TIcon: an icon handle, owned or shared, that can take a copy of another icon or share it.
#pragma once

#include "framework/Win32.h"

namespace framework {

class TIcon {
public:
    TIcon() = default;
    ~TIcon();
    TIcon(const TIcon&) = delete;
    TIcon& operator=(const TIcon&) = delete;

    HICON Handle() const noexcept { return m_handle; }
    bool Empty() const noexcept { return m_handle == nullptr; }

    // Takes a copy of source's picture, or shares it when source only shares it too; releasing
    // either leaves the other usable.
    void Assign(const TIcon& source);
    // Takes ownership of handle, releasing the icon held before.
    void Adopt(HICON handle) noexcept;
    // Holds an icon that lives as long as the program (one loaded with LR_SHARED, say) without ever
    // destroying it.
    void Share(HICON handle) noexcept;
    void Clear() noexcept;

private:
    HICON m_handle = nullptr;
    bool m_owned = false;
};

}  // namespace framework
