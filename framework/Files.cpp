#include "framework/Files.h"

#include "framework/Exceptions.h"
#include "framework/Win32.h"

#include <algorithm>
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

// A file that is deleted when it goes, unless it was handed on.
class TemporaryFile {
public:
    // Creates an empty file with a fresh name in folder.
    explicit TemporaryFile(const std::wstring& folder) {
        wchar_t name[MAX_PATH] = {};
        Win32Check(GetTempFileNameW(folder.c_str(), L"tvn", 0, name) != 0,
                   L"Cannot create a temporary file in " + folder);
        m_path = name;
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

// The folder part of path, separator included, so that "C:\" stays a root; "." without one.
std::wstring FolderOf(const std::wstring& path) {
    const auto separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring(L".") : path.substr(0, separator + 1);
}

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
        throw EOSError(ERROR_ACCESS_DENIED, L"Cannot replace the read-only file " + path);
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
    TemporaryFile temporary(FolderOf(path));
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

}  // namespace framework
