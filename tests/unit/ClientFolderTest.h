// What the client locator and settings tuner tests share: a client folder of their own, named
// in the registry, a main window object to ask, and snapshots of files to compare.
#pragma once

#include <cstdint>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

#include "framework/Text.h"
#include "tests/support/TestSupport.h"
#include "ui/ClientLocator.h"
#include "ui/Mainform.h"
#include "ui/SettingsPass.h"

namespace testing_support {

// A file or folder as the tests compare it: name, attributes and, for a file, every byte.
struct FolderEntry {
    std::wstring name;
    DWORD attributes = 0;
    std::vector<std::uint8_t> bytes;
    bool operator==(const FolderEntry&) const = default;
};

inline void PrintTo(const FolderEntry& entry, std::ostream* out) {
    *out << framework::ToUtf8(entry.name) << " (attributes " << entry.attributes << ", " << entry.bytes.size()
         << " bytes)";
}

inline std::vector<FolderEntry> FolderState(const std::wstring& folder) {
    std::vector<FolderEntry> state;
    for (const std::wstring& name : FolderEntries(folder)) {
        const std::wstring path = folder + L"\\" + name;
        const DWORD attributes = Attributes(path);
        const bool isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        state.push_back({name, attributes, isFolder ? std::vector<std::uint8_t>{} : ReadBytes(path)});
    }
    return state;
}

inline std::vector<std::uint8_t> Fixture(const std::wstring& name) {
    return ReadBytes(SourcePath(L"tests/fixtures/" + name));
}

// A settings pass as each sequence makes one: on the files the registry names as it begins.
inline ui::TTuneResult SettingsPass(std::wstring_view value) {
    const ui::TClientFiles files = ui::LocateClientFiles();
    return ui::RunSettingsPass(files, value, [&] { return ui::StillLocated(files); });
}

// Whether the pass went through, and else why not.
inline testing::AssertionResult Passes(std::wstring_view value) {
    const ui::TTuneResult result = SettingsPass(value);
    if (result.Succeeded()) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "problem " << static_cast<int>(result.problem) << ", system error "
                                       << result.systemError << ", " << framework::ToUtf8(result.readerSays);
}

// The window object is never shown: the locator needs none of its controls.
class ClientFolderTest : public testing::Test {
protected:
    ClientFolderTest() { m_registration.SetFolder(m_folder.Path()); }

    std::wstring SettingsPath() const { return m_folder / ui::kSettingsFileName; }
    void UseFixture(const std::wstring& name) const { WriteBytes(SettingsPath(), Fixture(name)); }

    ScratchFolder m_folder;
    ClientRegistration m_registration;
    ui::TForm_Main m_form{nullptr};
};

}  // namespace testing_support
