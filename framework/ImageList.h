// TImageList: a list of same-sized images with masks, filled from a bitmap strip resource.
#pragma once

#include "framework/Component.h"
#include "framework/Win32.h"

#include <commctrl.h>

namespace framework {

class TIcon;

// A bitmap from the resources as an icon whose mask leaves out the bitmap's magenta background;
// null when there is no such bitmap.
HICON LoadMaskedIcon(int bitmapId);

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

    // Appends the images of a bitmap strip from the resources, masked where it shows magenta.
    void AddMaskedStrip(int bitmapId);
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
