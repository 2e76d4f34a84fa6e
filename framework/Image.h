// TImage: a picture from the executable's resources, drawn at its size or stretched to the control.
#pragma once

#include "framework/CustomControl.h"
#include "framework/JpegImage.h"

namespace framework {

class TImage : public TCustomControl {
public:
    explicit TImage(TComponent* owner);

    // The decoded picture; empty until the window exists.
    const TJPEGImage& Picture() const noexcept { return m_picture; }
    // The picture, and a copy at twice the size for screens above 120 DPI, so that the banner
    // stays sharp; read when the window is created.
    void SetPicture(ResourceRef picture) noexcept { m_pictureId = picture.id; }
    void SetPicture2x(ResourceRef picture) noexcept { m_picture2xId = picture.id; }
    void SetStretch(bool stretch) noexcept { m_stretch = stretch; }

protected:
    void CreateWnd(HWND parent, const RECT& rect) override;
    void Paint(HDC dc) override;

private:
    int m_pictureId = 0;
    int m_picture2xId = 0;
    bool m_stretch = false;
    TJPEGImage m_picture;
};

}  // namespace framework
