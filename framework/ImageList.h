// TImageList: a list of same-sized images with masks, filled from a bitmap strip resource.
#pragma once

#include "framework/Win32.h"
#include <commctrl.h>

#include "framework/Component.h"

namespace framework {

class TIcon;

class TImageList : public TComponent {
public:
    explicit TImageList(TComponent* owner);
    ~TImageList() override;

    HIMAGELIST Handle() const noexcept { return m_handle; }
    int Count() const noexcept;
    // The size and growth step hold from the first image on.
    int Width() const noexcept { return m_width; }
    void SetWidth(int width) noexcept { m_width = width; }
    int Height() const noexcept { return m_height; }
    void SetHeight(int height) noexcept { m_height = height; }
    int AllocBy() const noexcept { return m_allocBy; }
    void SetAllocBy(int allocBy) noexcept { m_allocBy = allocBy; }
    bool ShareImages() const noexcept { return m_shareImages; }
    void SetShareImages(bool shareImages) noexcept { m_shareImages = shareImages; }

    // Appends the images of a bitmap strip from the resources, masked where it shows magenta.
    // A description adds them at once, not in Loaded: components created before the list may
    // already ask for its images in their own Loaded.
    void AddMaskedStrip(ResourceRef strip);
    // Copies image index into icon. An index outside the list leaves the icon as it was and
    // returns false.
    bool GetIcon(int index, TIcon& icon) const;

private:
    void HandleNeeded();

    HIMAGELIST m_handle = nullptr;
    int m_width = 16;
    int m_height = 16;
    int m_allocBy = 4;
    bool m_shareImages = false;
};

}  // namespace framework
