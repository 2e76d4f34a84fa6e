// TImageList: a list of same-sized images with masks, filled from a bitmap strip resource.
#pragma once

#include "framework/Component.h"
#include "framework/Win32.h"

#include <commctrl.h>

namespace framework {

class TIcon;

class TImageList : public TComponent {
public:
    explicit TImageList(TComponent* owner);
    ~TImageList() override;

    HIMAGELIST Handle() const noexcept { return m_handle; }
    int Count() const noexcept;
    int Width() const noexcept { return m_width; }
    int Height() const noexcept { return m_height; }
    int AllocBy() const noexcept { return m_allocBy; }
    bool ShareImages() const noexcept { return m_shareImages; }

    // Appends the images of a bitmap strip; masked is the colour that shows the background.
    void AddMaskedStrip(int bitmapId, COLORREF masked);
    // Copies image index into icon. An index outside the list leaves the icon as it was and
    // returns false.
    bool GetIcon(int index, TIcon& icon) const;

    void SetProperty(std::wstring_view name, const PropertyValue& value) override;

private:
    void HandleNeeded();

    HIMAGELIST m_handle = nullptr;
    int m_width = 16;
    int m_height = 16;
    int m_allocBy = 4;
    bool m_shareImages = false;
};

}  // namespace framework
