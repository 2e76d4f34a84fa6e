// Times the settings tuner on settings files of three sizes, beside a bare MSXML load and save
// and a plain copy of the same file in the same run.
#include "framework/Com.h"
#include "framework/XmlDocument.h"
#include "tests/support/TestSupport.h"
#include "ui/ClientLocator.h"
#include "ui/SettingsTuner.h"

#include <msxml2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using testing_support::ReadBytes;
using testing_support::WriteBytes;

constexpr int kRepetitions = 9;

struct FileSize {
    const char* label;
    std::size_t bytes;
};
constexpr FileSize kSizes[] = {{"10 KB", 10 * 1024}, {"1 MB", 1024 * 1024}, {"10 MB", 10 * 1024 * 1024}};

constexpr const char* kManaged[] = {"ConnectedPeersMax", "MaxTcpConnectionAttempts", "GlobalMaxUploadRate",
                                    "GlobalMaxDownloadRate"};

// About size bytes of settings, one a line as the client writes them, with the managed ones
// scattered among the rest.
std::vector<std::uint8_t> SettingsFile(std::size_t size, int& settingCount) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<BitComet>\r\n\t<Settings>\r\n";
    const std::string tail = "\t</Settings>\r\n</BitComet>\r\n";
    settingCount = 0;
    while (text.size() + tail.size() < size) {
        const std::string number = std::to_string(settingCount);
        const std::string name = settingCount % 97 == 0 ? kManaged[settingCount / 97 % 4] : "DownloadFolder" + number;
        text += "\t\t<" + name + ">C:\\Downloads\\item " + number + "</" + name + ">\r\n";
        ++settingCount;
    }
    text += tail;
    return {text.begin(), text.end()};
}

// The median times in milliseconds of each action, after one round to warm up. The actions take
// turns within each round, so that whatever else the machine does weighs on all of them alike;
// prepare runs untimed before each.
std::vector<double> MedianMilliseconds(const std::function<void()>& prepare,
                                       const std::vector<std::function<void()>>& actions) {
    std::vector<std::vector<double>> times(actions.size());
    for (int round = 0; round <= kRepetitions; ++round) {
        for (std::size_t index = 0; index < actions.size(); ++index) {
            prepare();
            const auto start = std::chrono::steady_clock::now();
            actions[index]();
            const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
            if (round > 0) {
                times[index].push_back(elapsed.count());
            }
        }
    }
    std::vector<double> medians;
    for (std::vector<double>& runs : times) {
        std::sort(runs.begin(), runs.end());
        medians.push_back(runs[runs.size() / 2]);
    }
    return medians;
}

void Check(HRESULT result, const char* what) {
    if (FAILED(result)) {
        std::fprintf(stderr, "%s failed: 0x%08lX\n", what, static_cast<unsigned long>(result));
        std::exit(1);
    }
}

// What a plain MSXML client does: a DOM document with the tuner's settings, loaded from the path
// and saved back to it.
void BareLoadAndSave(const std::wstring& path) {
    framework::ComPtr<IXMLDOMDocument> document;
    HRESULT result = REGDB_E_CLASSNOTREG;
    for (const wchar_t* progId : {L"Msxml2.DOMDocument.4.0", L"Msxml2.DOMDocument.3.0", L"Msxml2.DOMDocument"}) {
        CLSID classId{};
        if (SUCCEEDED(CLSIDFromProgID(progId, &classId))) {
            result = CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument, document.PutVoid());
            if (SUCCEEDED(result)) {
                break;
            }
        }
    }
    Check(result, "Creating a DOM document");
    document->put_async(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    document->put_preserveWhiteSpace(VARIANT_FALSE);
    VARIANT file;
    VariantInit(&file);
    file.vt = VT_BSTR;
    const framework::Bstr name(path);
    file.bstrVal = name.Get();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    Check(document->load(file, &loaded), "Loading");
    Check(loaded == VARIANT_TRUE ? S_OK : E_FAIL, "Parsing");
    Check(document->save(file), "Saving");
}

}  // namespace

int main() {
    const framework::ComApartment com;
    testing_support::ScratchFolder folder(L"bench");
    testing_support::ClientRegistration registration;
    registration.SetFolder(folder.Path());
    const std::wstring settings = folder / ui::kSettingsFileName;
    const std::wstring copy = folder / L"copy.xml";
    framework::TXMLDocument document(nullptr);
    const auto optiBT = [&](const wchar_t* value) {
        if (!ui::TuneSettingsFile(
                document, [] { return ui::ClientFilePath(ui::kSettingsFileName); }, value)) {
            std::fprintf(stderr, "The tuner failed\n");
            std::exit(1);
        }
    };

    std::printf("Median of %d rounds after one to warm up, in milliseconds; the three take turns in each round.\n\n",
                kRepetitions);
    std::printf("%-6s %9s %-8s %10s %10s %8s %8s\n", "size", "settings", "op", "OptiBT", "load+save", "copy", "ratio");
    for (const FileSize& size : kSizes) {
        int settingCount = 0;
        const std::vector<std::uint8_t> original = SettingsFile(size.bytes, settingCount);
        WriteBytes(settings, original);
        optiBT(L"1000");
        const std::vector<std::uint8_t> tuned = ReadBytes(settings);
        for (const auto& [op, input, value] :
             {std::tuple{"tune", &original, L"1000"}, std::tuple{"restore", &tuned, L"NULL"}}) {
            const std::vector<double> times =
                MedianMilliseconds([&, input = input] { WriteBytes(settings, *input); },
                                   {[&, value = value] { optiBT(value); }, [&] { BareLoadAndSave(settings); },
                                    [&] { CopyFileW(settings.c_str(), copy.c_str(), FALSE); }});
            std::printf("%-6s %9d %-8s %10.1f %10.1f %8.1f %8.2f\n", size.label, settingCount, op, times[0], times[1],
                        times[2], times[0] / times[1]);
            std::fflush(stdout);
        }
    }
    return 0;
}
