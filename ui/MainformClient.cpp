// TForm_Main's client locator and settings tuner: the window's side of ClientLocator and
// SettingsTuner.
#include "ui/ClientLocator.h"
#include "ui/Mainform.h"
#include "ui/SettingsTuner.h"

namespace ui {

std::wstring TForm_Main::GetBCXMLPath() {
    return ClientSettingsPath();
}

std::wstring TForm_Main::GetBCEXEPath() {
    return ClientFilePath(kExecutableFileName);
}

bool TForm_Main::IsBCInstalled() {
    return IsExistingFile(GetBCEXEPath());
}

bool TForm_Main::OptiBT(std::wstring_view value) {
    return TuneSettingsFile(
        *XMLDoc1, [this] { return GetBCXMLPath(); }, value, &m_lastTuneFailure);
}

}  // namespace ui
