#include "framework/Files.h"

#include "framework/Exceptions.h"
#include "framework/Paths.h"
#include "framework/Win32.h"

#include <algorithm>
#include <cwctype>
#include <limits>

namespace framework {

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) noexcept : m_handle(handle) {}
    ~FileHandle() {
        if (Valid()) {
            CloseHandle(m_handle);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    HANDLE Get() const noexcept { return m_handle; }
    bool Valid() const noexcept { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

// Temporary copies are named after the file they stand in for, so that a user who finds one left
// behind by a crash can tell whose it is, and the next start can clear it away.
constexpr wchar_t kTemporarySuffix[] = L".tmp";
constexpr std::size_t kUniqueDigits = 8;

bool IsTemporaryNameOf(std::wstring_view candidate, std::wstring_view fileName) {
    const std::size_t length = fileName.size() + 1 + kUniqueDigits + std::size(kTemporarySuffix) - 1;
    if (candidate.size() != length || CompareStringOrdinal(candidate.data(), static_cast<int>(fileName.size()),
                                                           fileName.data(), static_cast<int>(fileName.size()),
                                                           TRUE) != CSTR_EQUAL) {
        return false;
    }
    const std::wstring_view rest = candidate.substr(fileName.size());
    return rest.front() == L'.' && rest.substr(1 + kUniqueDigits) == kTemporarySuffix &&
           std::all_of(rest.begin() + 1, rest.begin() + 1 + kUniqueDigits, [](wchar_t c) { return iswxdigit(c); });
}

// A file that is deleted when it goes, unless it was handed on.
class TemporaryFile {
public:
    // Creates an empty file beside path, named after it with a fresh unique part.
    explicit TemporaryFile(const std::wstring& path) {
        static std::uint32_t counter = 0;
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        const auto seed = static_cast<std::uint32_t>(now.QuadPart) ^ (GetCurrentProcessId() << 16);
        for (int attempt = 0;; ++attempt) {
            const std::uint32_t value = seed + 0x9E3779B9u * ++counter;
            std::wstring unique(kUniqueDigits, L'0');
            for (std::size_t digit = 0; digit < kUniqueDigits; ++digit) {
                unique[kUniqueDigits - 1 - digit] = L"0123456789abcdef"[(value >> (4 * digit)) & 0xF];
            }
            m_path = path + L"." + unique + kTemporarySuffix;
            FileHandle file(CreateFileW(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
            if (file.Valid()) {
                return;
            }
            const DWORD error = GetLastError();
            if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt == 16) {
                m_path.clear();
                throw EOSError(error, L"Cannot create a temporary file beside " + path);
            }
        }
    }
    ~TemporaryFile() {
        if (!m_path.empty()) {
            DeleteFileW(m_path.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::wstring& Path() const noexcept { return m_path; }
    // The file now lives on under another name.
    void Release() noexcept { m_path.clear(); }

private:
    std::wstring m_path;
};

// Raises unless nothing is at path or a file there may be replaced.
void CheckReplaceable(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            throw EOSError(error, L"Cannot reach " + path);
        }
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw EOSError(ERROR_ACCESS_DENIED, L"Cannot replace the folder " + path);
    }
    // Checked here rather than left to the system: Wine running as root records the attribute
    // but lets the file be replaced all the same.
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        throw EOSError(ERROR_FILE_READ_ONLY, L"Cannot replace the read-only file " + path);
    }
}

void WriteAll(const std::wstring& path, std::span<const std::uint8_t> bytes) {
    FileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    Win32Check(file.Valid(), L"Cannot open " + path);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, std::numeric_limits<DWORD>::max()));
        DWORD written = 0;
        Win32Check(WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr) != 0 && written == chunk,
                   L"Cannot write " + path);
        done += written;
    }
    // On disk before it takes the old file's place, so that a crash cannot leave an empty file
    // under the old name.
    Win32Check(FlushFileBuffers(file.Get()) != 0, L"Cannot write " + path);
}

}  // namespace

std::vector<std::uint8_t> ReadFileBytes(const std::wstring& path) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    Win32Check(file.Valid(), L"Cannot open " + path);
    LARGE_INTEGER size{};
    Win32Check(GetFileSizeEx(file.Get(), &size) != 0, L"Cannot read " + path);
    if (static_cast<unsigned long long>(size.QuadPart) > std::numeric_limits<DWORD>::max()) {
        throw EOSError(ERROR_FILE_TOO_LARGE, L"Cannot read " + path);
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    Win32Check(ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) != 0,
               L"Cannot read " + path);
    // A file that shrank while it was read is taken as it was when the read ended.
    bytes.resize(read);
    return bytes;
}

void ReplaceFileContents(const std::wstring& path,
                         std::span<const std::uint8_t> bytes,
                         const std::function<void(const std::vector<std::uint8_t>& written)>& verify) {
    CheckReplaceable(path);
    TemporaryFile temporary(path);
    WriteAll(temporary.Path(), bytes);
    verify(ReadFileBytes(temporary.Path()));
    // The state that counts is the one right before the swap.
    CheckReplaceable(path);
    // A move rather than ReplaceFileW: under Wine, a ReplaceFileW that fails leaves a file of its
    // own behind in the folder.
    Win32Check(
        MoveFileExW(temporary.Path().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0,
        L"Cannot replace " + path);
    temporary.Release();
}

std::wstring FinalPath(const std::wstring& path) {
    FileHandle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid()) {
        return path;
    }
    std::wstring final(path.size() + 16, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(file.Get(), final.data(), static_cast<DWORD>(final.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            return path;
        }
        if (length < final.size()) {
            final.resize(length);
            break;
        }
        final.resize(length + 1);
    }
    // The answer comes in its long-path form; the plain form is the one every other call takes.
    constexpr std::wstring_view kUnc = L"\\\\?\\UNC\\";
    constexpr std::wstring_view kLocal = L"\\\\?\\";
    if (final.starts_with(kUnc)) {
        return L"\\\\" + final.substr(kUnc.size());
    }
    if (final.starts_with(kLocal)) {
        return final.substr(kLocal.size());
    }
    return final;
}

void RemoveLeftoverTemporaryFiles(const std::wstring& path) {
    const std::wstring target = FinalPath(path);
    const std::wstring folder = FolderOf(target);
    const std::wstring fileName = FileNameOf(target);
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((target + L".*" + kTemporarySuffix).c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !IsTemporaryNameOf(entry.cFileName, fileName)) {
            continue;
        }
        // Opened for deletion without sharing: a copy some process still writes or reads stays.
        const std::wstring leftover = (folder == L"." ? std::wstring() : folder) + entry.cFileName;
        FileHandle file(CreateFileW(leftover.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    } while (FindNextFileW(find, &entry));
    FindClose(find);
}

}  // namespace framework
