#include "framework/BitBtn.h"

#include "framework/Form.h"

#include <cstdint>
#include <vector>

namespace framework {

namespace {

constexpr COLORREF kGlyphMask = RGB(255, 0, 255);
// A button's image list holds one image per state, in this order: normal, hot, pressed,
// disabled, defaulted, stylus hot.
constexpr int kButtonStates = 6;
constexpr int kDisabledState = 4;

// The glyph as a disabled button shows it: grey, lighter than the original, key colour kept.
HBITMAP GreyedCopy(HBITMAP glyph) {
    BITMAP info{};
    GetObjectW(glyph, sizeof info, &info);
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = info.bmWidth;
    header.bmiHeader.biHeight = -info.bmHeight;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(info.bmWidth) * info.bmHeight);
    const HDC screen = GetDC(nullptr);
    GetDIBits(screen, glyph, 0, info.bmHeight, pixels.data(), &header, DIB_RGB_COLORS);
    for (std::uint32_t& pixel : pixels) {
        const std::uint32_t blue = pixel & 0xFF;
        const std::uint32_t green = (pixel >> 8) & 0xFF;
        const std::uint32_t red = (pixel >> 16) & 0xFF;
        if (RGB(red, green, blue) == kGlyphMask) {
            continue;
        }
        const std::uint32_t grey = 128 + (red * 30 + green * 59 + blue * 11) / 200;
        pixel = grey | (grey << 8) | (grey << 16);
    }
    void* bits = nullptr;
    const HBITMAP copy = CreateDIBSection(screen, &header, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (copy != nullptr) {
        std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
    }
    ReleaseDC(nullptr, screen);
    return copy;
}

HIMAGELIST MakeStateImages(int bitmapId) {
    const auto glyph = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (glyph == nullptr) {
        return nullptr;
    }
    BITMAP info{};
    GetObjectW(glyph, sizeof info, &info);
    const HIMAGELIST list = ImageList_Create(info.bmWidth, info.bmHeight, ILC_COLOR32 | ILC_MASK, kButtonStates, 0);
    const HBITMAP greyed = GreyedCopy(glyph);
    for (int state = 1; state <= kButtonStates; ++state) {
        ImageList_AddMasked(list, state == kDisabledState && greyed != nullptr ? greyed : glyph, kGlyphMask);
    }
    DeleteObject(greyed);
    DeleteObject(glyph);
    return list;
}

}  // namespace

TBitBtn::TBitBtn(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
}

TBitBtn::~TBitBtn() {
    DestroyHandle();
    if (m_glyphs != nullptr) {
        ImageList_Destroy(m_glyphs);
    }
}

void TBitBtn::SetProperty(std::wstring_view name, const PropertyValue& value) {
    if (name == L"Glyph") {
        m_glyphId = PropertyAs<ResourceRef>(value, Name(), name).id;
    } else if (name == L"Glyph2x") {
        m_glyph2xId = PropertyAs<ResourceRef>(value, Name(), name).id;
    } else if (name == L"Cancel") {
        m_cancel = PropertyAs<bool>(value, Name(), name);
        if (TForm* form = ParentForm(); form != nullptr) {
            form->SetCancelButton(m_cancel ? this : nullptr);
        }
    } else {
        TWinControl::SetProperty(name, value);
    }
}

void TBitBtn::CreateWnd(HWND parent, const RECT& rect) {
    CreateControlWindow(L"BUTTON", BS_PUSHBUTTON, 0, parent, rect);
}

void TBitBtn::InitializeWnd() {
    const int id = Dpi() > 120 && m_glyph2xId != 0 ? m_glyph2xId : m_glyphId;
    if (id != 0 && m_glyphs == nullptr) {
        m_glyphs = MakeStateImages(id);
    }
    if (m_glyphs != nullptr) {
        BUTTON_IMAGELIST images{};
        images.himl = m_glyphs;
        images.margin = RECT{Scale(2), 0, 0, 0};
        images.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
        SendMessageW(Handle(), BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images));
    }
}

bool TBitBtn::CNCommand(WORD code) {
    if (code == BN_CLICKED) {
        Click();
        return true;
    }
    return false;
}

void TBitBtn::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            // The focused button is the one Enter presses, so it carries the default frame.
            TWinControl::WndProc(message);
            if (HandleAllocated()) {
                SendMessageW(Handle(), BM_SETSTYLE, message.Msg == WM_SETFOCUS ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON,
                             TRUE);
            }
            return;
        default:
            TWinControl::WndProc(message);
    }
}

}  // namespace framework
