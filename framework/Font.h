// TFont: a font description (at 96 DPI) and the GDI font made from it for a given DPI.
#pragma once

#include "framework/Win32.h"

#include <string>

#include "framework/Handles.h"
#include "framework/Properties.h"

namespace framework {

class TFont {
public:
    TFont() = default;
    ~TFont();
    TFont(const TFont& other);
    TFont& operator=(const TFont& other);

    const std::wstring& Name() const noexcept { return m_name; }
    void SetName(std::wstring_view name);
    // Negative: character height in pixels at 96 DPI, as a form file stores it.
    int Height() const noexcept { return m_height; }
    void SetHeight(int height);
    TColor Color() const noexcept { return m_color; }
    void SetColor(TColor color) noexcept { m_color = color; }
    int Style() const noexcept { return m_style; }
    void SetStyle(int style);

    // The GDI font for dpi, made on first use and kept until the description changes.
    HFONT Handle(int dpi) const;

private:
    void Release() const noexcept;

    std::wstring m_name = L"MS Sans Serif";
    int m_height = -11;
    TColor m_color = clWindowText;
    int m_style = 0;
    mutable TGdiObject m_handle;
    mutable int m_handleDpi = 0;
};

// The RGB value of a colour, resolving system colours.
COLORREF ColorToRGB(TColor color) noexcept;

}  // namespace framework
