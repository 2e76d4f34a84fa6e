// TImage: a picture from the executable's resources, drawn at its size or stretched to the control.
#pragma once

#include "framework/JpegImage.h"
#include "framework/CustomControl.h"

namespace framework {

class TImage : public TCustomControl {
public:
    explicit TImage(TComponent* owner);

    // The decoded picture; empty until the window exists.
    const TJPEGImage& Picture() const noexcept { return m_picture; }

    void SetProperty(std::wstring_view name, const PropertyValue& value) override;

protected:
    void CreateWnd(HWND parent, const RECT& rect) override;
    void Paint(HDC dc) override;

private:

    int m_pictureId = 0;
    // A copy drawn at twice the size, for screens above 120 DPI, so the banner stays sharp.
    int m_picture2xId = 0;
    bool m_stretch = false;
    TJPEGImage m_picture;
};

}  // namespace framework
