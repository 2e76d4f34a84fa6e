// In-process GUI tests: one application object for the whole test program, a recorder in place
// of modal message boxes, and a fixture that creates the real main window.
#pragma once

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/ErrorDisplay.h"
#include "tests/support/TestSupport.h"
#include "ui/Mainform.h"

namespace gui_test {

struct RecordedBox {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT flags;
};

// Every message box the application showed since the last call, oldest first.
std::vector<RecordedBox> TakeMessageBoxes();
// Puts the recorder back after a test installed a message box function of its own.
void RestoreMessageBoxRecorder();
// The application window's text right after the application object was created.
const std::wstring& InitialApplicationTitle();

// An icon drawn at size by size pixels over a background of one colour, row by row, as 0x00RRGGBB.
std::vector<std::uint32_t> IconPixels(HICON icon, int size = 32, COLORREF background = RGB(0, 0, 0));
// The width and height of an icon's own picture.
SIZE IconSize(HICON icon);

// Handles every pending message through the application, as its loop would.
void Pump();
// Removes everything left in the queue (a WM_QUIT included) and clears the termination mark.
void Drain();

// The real main window, created from its description in a scratch client setup and shown.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    ui::TForm_Main& Form() { return *ui::Form_Main; }
    // Creates the main window (SetUp does it unless a test asks for a different setup first).
    void CreateMainWindow();
    void DestroyMainWindow();

    testing_support::ScratchFolder m_client{L"client"};
    testing_support::ClientRegistration m_registration;
    bool m_created = false;
};

}  // namespace gui_test
