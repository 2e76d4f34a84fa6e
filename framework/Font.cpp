#include "framework/Font.h"

#include "framework/Text.h"

namespace framework {

TFont::~TFont() = default;

TFont::TFont(const TFont& other)
    : m_name(other.m_name), m_height(other.m_height), m_color(other.m_color), m_style(other.m_style) {}

TFont& TFont::operator=(const TFont& other) {
    if (this != &other) {
        Release();
        m_name = other.m_name;
        m_height = other.m_height;
        m_color = other.m_color;
        m_style = other.m_style;
    }
    return *this;
}

void TFont::SetName(std::wstring_view name) {
    Release();
    m_name = name;
}

void TFont::SetHeight(int height) {
    Release();
    m_height = height;
}

void TFont::SetStyle(int style) {
    Release();
    m_style = style;
}

HFONT TFont::Handle(int dpi) const {
    if (m_handle && m_handleDpi == dpi) {
        return static_cast<HFONT>(m_handle.Get());
    }
    Release();
    LOGFONTW font{};
    font.lfHeight = MulDiv(m_height, dpi, 96);
    font.lfWeight = (m_style & fsBold) != 0 ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (m_style & fsItalic) != 0 ? TRUE : FALSE;
    font.lfUnderline = (m_style & fsUnderline) != 0 ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH;
    CopyBounded(font.lfFaceName, m_name);
    m_handle.Reset(CreateFontIndirectW(&font));
    m_handleDpi = dpi;
    return static_cast<HFONT>(m_handle.Get());
}

void TFont::Release() const noexcept {
    m_handle.Reset();
}

COLORREF ColorToRGB(TColor color) noexcept {
    return color.IsSystem() ? GetSysColor(static_cast<int>(color.value & ~TColor::kSystemFlag))
                            : static_cast<COLORREF>(color.value);
}

}  // namespace framework
