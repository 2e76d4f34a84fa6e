#include "framework/ImageList.h"

#include "framework/Exceptions.h"
#include "framework/Icon.h"

namespace framework {

namespace {

// Strips store the background as pure magenta.
constexpr COLORREF kStripMask = RGB(255, 0, 255);

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
        m_handle = ImageList_Create(m_width, m_height, ILC_COLOR24 | ILC_MASK, m_allocBy, m_allocBy);
        Win32Check(m_handle != nullptr, L"Cannot create image list");
    }
}

void TImageList::AddMaskedStrip(int bitmapId, COLORREF masked) {
    HandleNeeded();
    const HANDLE bitmap = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0,
                                     LR_CREATEDIBSECTION);
    Win32Check(bitmap != nullptr, L"Cannot load image strip");
    const int added = ImageList_AddMasked(m_handle, static_cast<HBITMAP>(bitmap), masked);
    DeleteObject(bitmap);
    Win32Check(added >= 0, L"Cannot add image strip");
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

void TImageList::SetProperty(std::wstring_view name, const PropertyValue& value) {
    const std::wstring& self = Name();
    if (name == L"Width") {
        m_width = PropertyAs<int>(value, self, name);
    } else if (name == L"Height") {
        m_height = PropertyAs<int>(value, self, name);
    } else if (name == L"AllocBy") {
        m_allocBy = PropertyAs<int>(value, self, name);
    } else if (name == L"ShareImages") {
        m_shareImages = PropertyAs<bool>(value, self, name);
    } else if (name == L"Bitmap") {
        // Loaded at once, not in Loaded: components created before the list may already ask
        // for its images in their own Loaded.
        AddMaskedStrip(PropertyAs<ResourceRef>(value, self, name).id, kStripMask);
    } else {
        TComponent::SetProperty(name, value);
    }
}

}  // namespace framework
