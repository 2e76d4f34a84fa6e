// Times the settings pass (tune and restore) on settings files of 10 KB to 10 MB, beside a bare
// MSXML load and save and a plain read, write, flush and rename of the same file in the same run;
// and the private memory a pass leaves behind on a large file against a small one.
#include "framework/Win32.h"
#include <msxml2.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/Com.h"
#include "framework/Com.h"
#include "framework/Files.h"
#include "tests/support/TestSupport.h"
#include "ui/ClientLocator.h"
#include "ui/SettingsPass.h"

namespace {

using testing_support::ReadBytes;
using testing_support::WriteBytes;

constexpr int kRepetitions = 9;

struct FileSize {
    const char* label;
    std::size_t bytes;
};
constexpr FileSize kSizes[] = {{"10 KB", 10 * 1024},
                               {"100 KB", 100 * 1024},
                               {"1 MB", 1024 * 1024},
                               {"10 MB", 10 * 1024 * 1024}};

constexpr const char* kManaged[] = {"ConnectedPeersMax", "MaxTcpConnectionAttempts", "GlobalMaxUploadRate",
                                    "GlobalMaxDownloadRate"};

// About size bytes of settings, one a line as the client writes them, with the managed ones
// scattered among the rest. Either every setting has a name of its own, the worst case for a
// parser's table of names, or the names come from a few hundred, as in the client's own file.
std::vector<std::uint8_t> SettingsFile(std::size_t size, bool distinctNames, int& settingCount) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<BitComet>\r\n\t<Settings>\r\n";
    const std::string tail = "\t</Settings>\r\n</BitComet>\r\n";
    settingCount = 0;
    while (text.size() + tail.size() < size) {
        const std::string number = std::to_string(settingCount);
        const std::string name = settingCount % 97 == 0 ? kManaged[settingCount / 97 % 4]
                                 : distinctNames        ? "DownloadFolder" + number
                                                        : "DownloadFolder" + std::to_string(settingCount % 400);
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

// What a plain MSXML client does: a DOM document loaded from the path and saved back to it.
void BareLoadAndSave(const std::wstring& path) {
    bench::ComPtr<IXMLDOMDocument> document;
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
    const bench::Bstr name(path);
    file.bstrVal = name.Get();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    Check(document->load(file, &loaded), "Loading");
    Check(loaded == VARIANT_TRUE ? S_OK : E_FAIL, "Parsing");
    Check(document->save(file), "Saving");
}

// The least any safe rewrite of the file does: read it, write a copy beside it, flush the copy
// and rename it over the file.
void PlainRewrite(const std::wstring& path) {
    const std::vector<std::uint8_t> bytes = framework::ReadFileBytes(path);
    const std::wstring copy = path + L".copy";
    const HANDLE file =
        CreateFileW(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    FlushFileBuffers(file);
    CloseHandle(file);
    MoveFileExW(copy.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

// The process's private commit. Windows gives it as both figures; Wine fills in only the first.
SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    return std::max(counters.PagefileUsage, counters.PrivateUsage);
}

}  // namespace

int main() {
    const framework::ComApartment com;
    testing_support::ScratchFolder folder(L"bench");
    testing_support::ClientRegistration registration;
    registration.SetFolder(folder.Path());
    const std::wstring settings = folder / ui::kSettingsFileName;
    // The pass leaves the file read-only, as the client finds it; the bench writes it anew.
    const auto rewrite = [&](const std::vector<std::uint8_t>& bytes) {
        SetFileAttributesW(settings.c_str(), FILE_ATTRIBUTE_NORMAL);
        WriteBytes(settings, bytes);
    };
    // What each sequence does: the files located once, then the pass on them.
    const auto optiBT = [&](const wchar_t* value) {
        const ui::TClientFiles files = ui::LocateClientFiles();
        if (!ui::RunSettingsPass(files, value, [&] { return ui::StillLocated(files); }).Succeeded()) {
            std::fprintf(stderr, "The settings pass failed\n");
            std::exit(1);
        }
    };

    // Measured before anything else loads, MSXML least of all.
    int settingCount = 0;
    // The file's content is not held meanwhile: only what the passes leave behind counts.
    const auto privateAfterPasses = [&](std::size_t size) {
        for (int pass = 0; pass < 3; ++pass) {
            rewrite(SettingsFile(size, true, settingCount));
            optiBT(L"1000");
            optiBT(L"NULL");
        }
        return PrivateBytes();
    };
    const SIZE_T small = privateAfterPasses(10 * 1024);
    const SIZE_T large = privateAfterPasses(1024 * 1024);
    std::printf(
        "Private memory after tune and restore passes: %.1f MB after 10 KB files, %.1f MB after 1 MB files "
        "(%+.2f MB)\n\n",
        small / 1048576.0, large / 1048576.0, (static_cast<double>(large) - static_cast<double>(small)) / 1048576.0);

    std::printf("Median of %d rounds after one to warm up, in milliseconds; the three take turns in each round.\n",
                kRepetitions);
    std::printf("OptiBT: the settings pass; MSXML: a bare load and save; rewrite: read, write, flush, rename.\n");
    for (const bool distinctNames : {false, true}) {
        std::printf("\n%s\n",
                    distinctNames ? "Every setting named differently:" : "Names from 400, as in the client's file:");
        std::printf("%-6s %9s %-8s %9s %9s %9s %10s %11s\n", "size", "settings", "op", "OptiBT", "MSXML", "rewrite",
                    "vs MSXML", "vs rewrite");
        for (const FileSize& size : kSizes) {
            const std::vector<std::uint8_t> original = SettingsFile(size.bytes, distinctNames, settingCount);
            rewrite(original);
            optiBT(L"1000");
            const std::vector<std::uint8_t> tuned = ReadBytes(settings);
            for (const auto& [op, input, value] :
                 {std::tuple{"tune", &original, L"1000"}, std::tuple{"restore", &tuned, L"NULL"}}) {
                const std::vector<double> times =
                    MedianMilliseconds([&, input = input] { rewrite(*input); },
                                       {[&, value = value] { optiBT(value); }, [&] { BareLoadAndSave(settings); },
                                        [&] { PlainRewrite(settings); }});
                std::printf("%-6s %9d %-8s %9.1f %9.1f %9.1f %9.2fx %10.2fx\n", size.label, settingCount, op, times[0],
                            times[1], times[2], times[0] / times[1], times[0] / times[2]);
                std::fflush(stdout);
            }
        }
    }
    return 0;
}
