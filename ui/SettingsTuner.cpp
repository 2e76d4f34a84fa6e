#include "ui/SettingsTuner.h"

#include "framework/Exceptions.h"

#include <algorithm>
#include <array>

namespace ui {

namespace {

using framework::TXMLNode;

// The settings the tuner manages, in the order it handles them; the first two are written back.
constexpr std::array<std::wstring_view, 4> kManagedNames = {
    L"ConnectedPeersMax",
    L"MaxTcpConnectionAttempts",
    L"GlobalMaxUploadRate",
    L"GlobalMaxDownloadRate",
};
constexpr std::size_t kWrittenBackCount = 2;

bool IsManaged(const std::wstring& name) {
    return std::find(kManagedNames.begin(), kManagedNames.end(), name) != kManagedNames.end();
}

}  // namespace

void TuneSettings(framework::TXMLDocument& document, std::wstring_view value) {
    TXMLNode container = document.DocumentElement().FirstChild();
    if (!container) {
        throw framework::EListError(L"List index out of bounds (0)");
    }
    // One walk along the siblings takes out every managed name at once: the same result as a
    // pass per name over the child list by index, which MSXML makes quadratic.
    for (TXMLNode child = container.FirstChild(); child;) {
        TXMLNode next = child.NextSibling();
        if (IsManaged(child.NodeName())) {
            container.RemoveChild(child);
        }
        child = std::move(next);
    }
    if (value == kRestoreMarker) {
        return;
    }
    const std::wstring namespaceURI = container.NamespaceURI();
    const std::wstring prefix = container.Prefix();
    for (std::size_t index = 0; index < kWrittenBackCount; ++index) {
        container.AppendElement(kManagedNames[index], namespaceURI, prefix).SetText(value);
    }
}

bool TuneSettingsFile(framework::TXMLDocument& document,
                      const std::function<std::wstring()>& settingsPath,
                      std::wstring_view value) noexcept {
    try {
        const std::wstring loadPath = settingsPath();
        if (loadPath.empty()) {
            return false;
        }
        document.LoadFromFile(loadPath);
        TuneSettings(document, value);
        const std::wstring savePath = settingsPath();
        if (savePath.empty()) {
            return false;
        }
        document.SaveToFile(savePath);
        return true;
    } catch (...) {
        // The tuner reports failure by its result alone; its callers go on either way.
        return false;
    }
}

}  // namespace ui
