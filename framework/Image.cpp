#include "framework/Image.h"

namespace framework {

TImage::TImage(TComponent* owner) : TCustomControl(owner, L"TImage") {}

void TImage::CreateWnd(HWND parent, const RECT& rect) {
    const int id = ResourceForDpi(m_pictureId, m_picture2xId);
    if (id != 0) {
        m_picture.LoadFromResource(id);
    }
    TCustomControl::CreateWnd(parent, rect);
}

void TImage::Paint(HDC dc) {
    RECT client{};
    GetClientRect(Handle(), &client);
    if (m_picture.Empty()) {
        FillRect(dc, &client, BackgroundBrush());
        return;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = m_picture.Width();
    info.bmiHeader.biHeight = -m_picture.Height();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    if (!m_stretch) {
        FillRect(dc, &client, BackgroundBrush());
    }
    const int width = m_stretch ? client.right : m_picture.Width();
    const int height = m_stretch ? client.bottom : m_picture.Height();
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, 0, 0, width, height, 0, 0, m_picture.Width(), m_picture.Height(), m_picture.Pixels().data(),
                  &info, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace framework
