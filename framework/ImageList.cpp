#include "framework/ImageList.h"

#include "framework/Exceptions.h"
#include "framework/Handles.h"
#include "framework/Icon.h"

namespace framework {

namespace {

// The pictures in the resources show their background as pure magenta.
constexpr COLORREF kBackground = RGB(255, 0, 255);
constexpr UINT kListFlags = ILC_COLOR24 | ILC_MASK;

HBITMAP LoadBitmapResource(int bitmapId) {
    return static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// Appends the images of bitmap to list, masked where it shows the background, and releases the
// bitmap. Returns the index of the first image added, or -1.
int AddMasked(HIMAGELIST list, HBITMAP bitmap) {
    const TGdiObject owned(bitmap);
    return ImageList_AddMasked(list, bitmap, kBackground);
}

}  // namespace

TImageList::TImageList(TComponent* owner) : TComponent(owner) {}

TImageList::~TImageList() {
    // ShareImages says that the handle belongs to someone else; one made here is always ours.
    if (m_handle != nullptr) {
        ImageList_Destroy(m_handle);
    }
}

int TImageList::Count() const noexcept {
    return m_handle != nullptr ? ImageList_GetImageCount(m_handle) : 0;
}

void TImageList::HandleNeeded() {
    if (m_handle == nullptr) {
        m_handle = ImageList_Create(m_width, m_height, kListFlags, m_allocBy, m_allocBy);
        Win32Check(m_handle != nullptr, L"Cannot create image list");
    }
}

void TImageList::AddMaskedStrip(ResourceRef strip) {
    HandleNeeded();
    const HBITMAP bitmap = LoadBitmapResource(strip.id);
    Win32Check(bitmap != nullptr, L"Cannot load image strip");
    Win32Check(AddMasked(m_handle, bitmap) >= 0, L"Cannot add image strip");
}

bool TImageList::GetIcon(int index, TIcon& icon) const {
    if (m_handle == nullptr || index < 0 || index >= Count()) {
        return false;
    }
    const HICON copy = ImageList_GetIcon(m_handle, index, ILD_NORMAL);
    if (copy == nullptr) {
        return false;
    }
    icon.Adopt(copy);
    return true;
}

}  // namespace framework
