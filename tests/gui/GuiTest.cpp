#include "tests/gui/GuiTest.h"

#include <algorithm>
#include <memory>

#include "framework/Handles.h"

namespace gui_test {

namespace {

std::vector<RecordedBox>& Boxes() {
    static std::vector<RecordedBox> boxes;
    return boxes;
}

std::wstring& InitialTitle() {
    static std::wstring title;
    return title;
}

class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        m_application = std::make_unique<framework::TApplication>();
        InitialTitle() = m_application->Title();
        RestoreMessageBoxRecorder();
    }
    void TearDown() override { m_application.reset(); }

private:
    std::unique_ptr<framework::TApplication> m_application;
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

}  // namespace

void RestoreMessageBoxRecorder() {
    framework::SetMessageBoxFunction([](HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) {
        Boxes().push_back({owner, text, caption, flags});
        return IDOK;
    });
}

const std::wstring& InitialApplicationTitle() {
    return InitialTitle();
}

std::vector<RecordedBox> TakeMessageBoxes() {
    return std::exchange(Boxes(), {});
}

std::vector<std::uint32_t> IconPixels(HICON icon, int size, COLORREF background) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const framework::TMemoryDC dc(CreateCompatibleDC(nullptr));
    const framework::TGdiObject bitmap(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const framework::TSelectedObject selected(dc.Get(), bitmap.Get());
    const framework::TGdiObject brush(CreateSolidBrush(background));
    const RECT all{0, 0, size, size};
    FillRect(dc.Get(), &all, static_cast<HBRUSH>(brush.Get()));
    DrawIconEx(dc.Get(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * size);
    std::transform(static_cast<const std::uint32_t*>(bits), static_cast<const std::uint32_t*>(bits) + pixels.size(),
                   pixels.begin(), [](std::uint32_t pixel) { return pixel & 0xFFFFFFu; });
    return pixels;
}

SIZE IconSize(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) {
        return {0, 0};
    }
    const framework::TGdiObject colour(info.hbmColor);
    const framework::TGdiObject mask(info.hbmMask);
    BITMAP bitmap{};
    GetObjectW(colour.Get(), sizeof bitmap, &bitmap);
    return {bitmap.bmWidth, bitmap.bmHeight};
}

void Pump() {
    framework::Application->ProcessMessages();
}

void Drain() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) {
            DispatchMessageW(&msg);
        }
    }
    framework::Application->ClearTerminated();
}

void MainWindowTest::SetUp() {
    m_registration.SetFolder(m_client.Path());
    // A client with a settings file, so that the window starts as it does when all is well.
    if (const std::wstring settings = m_client / L"BitComet.xml"; !testing_support::FileExists(settings)) {
        testing_support::WriteText(settings, "<BitComet><Settings/></BitComet>");
    }
    TakeMessageBoxes();
    CreateMainWindow();
}

void MainWindowTest::TearDown() {
    RestoreMessageBoxRecorder();
    DestroyMainWindow();
    Drain();
}

void MainWindowTest::CreateMainWindow() {
    framework::Application->CreateForm(ui::Form_Main);
    ui::Form_Main->Show();
    Pump();
    m_created = true;
}

void MainWindowTest::DestroyMainWindow() {
    if (m_created && ui::Form_Main != nullptr) {
        framework::Application->FreeComponent(*ui::Form_Main);
    }
    m_created = false;
}

}  // namespace gui_test
