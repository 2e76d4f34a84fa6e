#include "framework/Files.h"

#include "framework/Win32.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <optional>
#include <utility>

#include "framework/Exceptions.h"
#include "framework/Handles.h"
#include "framework/Paths.h"
#include "framework/Text.h"

namespace framework {

namespace {

// Temporary copies are named after the file they stand in for, so that a user who finds one left
// behind by a crash can tell whose it is, and the next start can clear it away. A file that
// another program holds open is set aside under a name of the same form while its copy takes its
// place.
constexpr wchar_t kTemporarySuffix[] = L".tmp";
constexpr wchar_t kAsideSuffix[] = L".old";
constexpr std::size_t kUniqueDigits = 8;

// Virus scanners, indexers and backup tools open files for a moment: a replace they keep from
// going through is tried again, a few times within about a second.
constexpr int kReplaceAttempts = 5;
constexpr DWORD kReplaceRetryMs = 250;

// The unique part is written with these alone: a name with any other digits is someone else's.
bool IsAsciiHexDigit(wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}

bool IsUniqueNameOf(std::wstring_view candidate, std::wstring_view fileName, std::wstring_view suffix) {
    const std::size_t length = fileName.size() + 1 + kUniqueDigits + suffix.size();
    if (candidate.size() != length || !SamePathText(candidate.substr(0, fileName.size()), fileName)) {
        return false;
    }
    const std::wstring_view rest = candidate.substr(fileName.size());
    return rest.front() == L'.' && rest.substr(1 + kUniqueDigits) == suffix &&
           std::all_of(rest.begin() + 1, rest.begin() + 1 + kUniqueDigits, IsAsciiHexDigit);
}

// path.<8 hex digits><suffix>, the digits fresh at every call.
std::wstring UniqueNameBeside(const std::wstring& path, std::wstring_view suffix) {
    static std::uint32_t counter = 0;
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const auto seed = static_cast<std::uint32_t>(now.QuadPart) ^ (GetCurrentProcessId() << 16);
    return path + L"." + HexText(seed + 0x9E3779B9u * ++counter, kUniqueDigits) + std::wstring(suffix);
}

bool IsNameTaken(DWORD error) {
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

// Gives the open file its new name; false with the system's error when it refuses.
bool RenameByHandle(HANDLE file, const std::wstring& to, bool replace) {
    std::vector<std::uint8_t> buffer(offsetof(FILE_RENAME_INFO, FileName) + (to.size() + 1) * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = replace ? TRUE : FALSE;
    rename->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
    std::copy(to.begin(), to.end(), rename->FileName);
    return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != 0;
}

// Under Wine the system is Unix, and the mode bits are what protects a file.
bool RunsUnderWine() {
    static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

// The path of an open file as the system names it, in the plain form every other call takes; empty
// when the system cannot tell.
std::wstring FinalPathOf(HANDLE file) {
    std::wstring final(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            return {};
        }
        if (length < final.size()) {
            final.resize(length);
            break;
        }
        final.resize(length + 1);
    }
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

// The attributes a program may set; the others belong to the file system.
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED |
                                      FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_TEMPORARY;

// What of attributes a program may give a file, FILE_ATTRIBUTE_NORMAL standing for none of them.
DWORD SettableAttributes(DWORD attributes) {
    attributes &= kSettableAttributes;
    return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

// Raises unless a file with these attributes may be replaced.
void CheckReplaceable(DWORD attributes, const std::wstring& path) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw EOSError(ERROR_ACCESS_DENIED, L"Cannot replace the folder " + path);
    }
    // Checked here rather than left to the system: Wine running as root records the attribute
    // but lets the file be replaced all the same.
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        throw EOSError(ERROR_FILE_READ_ONLY, L"Cannot replace the read-only file " + path);
    }
}

// What makes a file the user's besides its content: who may use it, when it was made, and its
// attributes. A new copy that lacked them would carry the folder's defaults instead, which may
// let everyone read a file its owner kept private.
struct Protection {
    std::vector<BYTE> securityDescriptor;
    FILETIME creationTime{};
    DWORD attributes = 0;
};

// A volume without security (FAT, some shares) answers so; there is nothing to keep there.
bool IsWithoutSecurity(DWORD error) {
    return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION;
}

// The protection of the file at path; nothing when no file is there. Raises EOSError when the
// file cannot be replaced: a folder, or a read-only file.
std::optional<Protection> ProtectionOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) {
            return std::nullopt;
        }
        throw EOSError(error, L"Cannot reach " + path);
    }
    CheckReplaceable(data.dwFileAttributes, path);
    Protection protection;
    protection.creationTime = data.ftCreationTime;
    protection.attributes = data.dwFileAttributes;
    constexpr SECURITY_INFORMATION kParts =
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    // Large enough for the usual descriptor, so that one call reads it.
    protection.securityDescriptor.resize(512);
    DWORD size = 0;
    for (;;) {
        if (GetFileSecurityW(path.c_str(), kParts, protection.securityDescriptor.data(),
                             static_cast<DWORD>(protection.securityDescriptor.size()), &size)) {
            break;
        }
        const DWORD error = GetLastError();
        if (IsWithoutSecurity(error)) {
            protection.securityDescriptor.clear();
            break;
        }
        // A copy that could not keep the file's protection must not take its place.
        if (error != ERROR_INSUFFICIENT_BUFFER || size <= protection.securityDescriptor.size()) {
            throw EOSError(error, L"Cannot read who may use " + path);
        }
        protection.securityDescriptor.resize(size);
    }
    return protection;
}

// The security a copy is made with under Wine, so that it has the mode bits of the file it
// replaces. Wine turns a DACL into mode bits its own way: a grant to the user who owns the file
// goes to the file's group as well, and reading implies executing (Wine's own DACL for a mode
// grants so). A copy given the original's DACL would let the group read a private file, and gain
// execute bits. A grant to the descriptor's owner goes to the owner's bits alone when that owner
// is not the user; so the copy is made with OWNER RIGHTS as the descriptor's owner and in place of
// the file's owner in its grants, and without the right to execute, which a settings file never
// needs. The file still belongs to the user: Wine keeps the Unix owner.
class TWineCopySecurity {
public:
    explicit TWineCopySecurity(std::vector<BYTE>& original) {
        static SID_IDENTIFIER_AUTHORITY creator = SECURITY_CREATOR_SID_AUTHORITY;
        InitializeSid(&m_ownerRights, &creator, 1);
        *GetSidSubAuthority(&m_ownerRights, 0) = SECURITY_CREATOR_OWNER_RIGHTS_RID;
        BOOL present = FALSE;
        BOOL defaulted = FALSE;
        PACL dacl = nullptr;
        PSID owner = nullptr;
        if (original.empty() || !GetSecurityDescriptorDacl(original.data(), &present, &dacl, &defaulted) || !present ||
            dacl == nullptr || !GetSecurityDescriptorOwner(original.data(), &owner, &defaulted)) {
            return;
        }
        struct Grant {
            BYTE type;
            BYTE flags;
            DWORD mask;
            PSID sid;
        };
        std::vector<Grant> grants;
        DWORD size = sizeof(ACL);
        for (DWORD index = 0; index < dacl->AceCount; ++index) {
            void* entry = nullptr;
            if (!GetAce(dacl, index, &entry)) {
                return;
            }
            const auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(entry);
            const BYTE type = ace->Header.AceType;
            if (type != ACCESS_ALLOWED_ACE_TYPE && type != ACCESS_DENIED_ACE_TYPE) {
                continue;
            }
            PSID sid = const_cast<DWORD*>(&ace->SidStart);
            if (owner != nullptr && EqualSid(sid, owner)) {
                sid = &m_ownerRights;
            }
            DWORD mask = ace->Mask;
            if ((mask & GENERIC_ALL) != 0) {
                mask = (mask & ~static_cast<DWORD>(GENERIC_ALL)) | FILE_ALL_ACCESS;
            }
            mask &= ~static_cast<DWORD>(FILE_EXECUTE | GENERIC_EXECUTE);
            grants.push_back({type, ace->Header.AceFlags, mask, sid});
            size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sid);
        }
        m_acl.resize(size);
        auto* acl = reinterpret_cast<PACL>(m_acl.data());
        if (!InitializeAcl(acl, size, ACL_REVISION)) {
            return;
        }
        for (const Grant& grant : grants) {
            const BOOL added = grant.type == ACCESS_ALLOWED_ACE_TYPE
                                   ? AddAccessAllowedAceEx(acl, ACL_REVISION, grant.flags, grant.mask, grant.sid)
                                   : AddAccessDeniedAceEx(acl, ACL_REVISION, grant.flags, grant.mask, grant.sid);
            if (!added) {
                return;
            }
        }
        m_valid = InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                  SetSecurityDescriptorOwner(&m_descriptor, &m_ownerRights, FALSE) &&
                  SetSecurityDescriptorDacl(&m_descriptor, TRUE, acl, FALSE);
        m_attributes.lpSecurityDescriptor = &m_descriptor;
    }
    TWineCopySecurity(const TWineCopySecurity&) = delete;
    TWineCopySecurity& operator=(const TWineCopySecurity&) = delete;

    // Null when the original's descriptor could not be read this way; the copy then has Wine's
    // default mode, as before.
    SECURITY_ATTRIBUTES* Attributes() noexcept { return m_valid ? &m_attributes : nullptr; }

private:
    SID m_ownerRights{};
    std::vector<BYTE> m_acl;
    SECURITY_DESCRIPTOR m_descriptor{};
    SECURITY_ATTRIBUTES m_attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    bool m_valid = false;
};

TFileWriter& FileWriter() {
    static TFileWriter writer;
    return writer;
}

bool WriteChunk(HANDLE file, const std::uint8_t* bytes, DWORD count, DWORD* written) {
    if (const TFileWriter& writer = FileWriter()) {
        unsigned long done = 0;
        const bool ok = writer(file, bytes, count, &done);
        *written = done;
        return ok;
    }
    return WriteFile(file, bytes, count, written, nullptr) != 0;
}

// The most of remaining bytes that one ReadFile or WriteFile call takes.
DWORD IoChunk(std::size_t remaining) {
    return static_cast<DWORD>(std::min<std::size_t>(remaining, std::numeric_limits<DWORD>::max()));
}

// A new file beside the one it is to replace, named after it with a fresh unique part. It is
// written, read back, given the original's protection and swapped in through the one handle it
// was created with, so that a protection without the right to delete cannot keep it from its
// swap or its removal. Removed when it goes, unless it took the original's place.
class TemporaryFile {
public:
    // security: what the copy is made with, if anything but the folder's defaults.
    TemporaryFile(const std::wstring& path, SECURITY_ATTRIBUTES* security) {
        for (int attempt = 0;; ++attempt) {
            m_path = UniqueNameBeside(path, kTemporarySuffix);
            m_handle.Reset(CreateFileW(m_path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE | WRITE_DAC, 0, security,
                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (m_handle.Valid()) {
                return;
            }
            const DWORD error = GetLastError();
            if (!IsNameTaken(error) || attempt == 16) {
                throw EOSError(error, L"Cannot create a temporary file beside " + path);
            }
        }
    }
    ~TemporaryFile() {
        if (m_handle.Valid() && !m_placed) {
            FILE_DISPOSITION_INFO disposition{TRUE};
            SetFileInformationByHandle(m_handle.Get(), FileDispositionInfo, &disposition, sizeof disposition);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    void Write(std::span<const std::uint8_t> bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD written = 0;
            Win32Check(WriteChunk(m_handle.Get(), bytes.data() + done, IoChunk(bytes.size() - done), &written),
                       L"Cannot write " + m_path);
            // A write cut short, as on a full disk, reports no error; the next one names the cause.
            // One that writes nothing at all has no room left.
            if (written == 0) {
                throw EOSError(ERROR_DISK_FULL, L"Cannot write " + m_path);
            }
            done += written;
        }
        // On disk before it takes the old file's place, so that a crash cannot leave an empty file
        // under the old name.
        Win32Check(FlushFileBuffers(m_handle.Get()) != 0, L"Cannot write " + m_path);
    }

    // The copy as the file system gives it back, read into one buffer sized by expected, the
    // count of bytes written.
    std::vector<std::uint8_t> ReadBack(std::size_t expected) {
        Win32Check(SetFilePointerEx(m_handle.Get(), LARGE_INTEGER{}, nullptr, FILE_BEGIN) != 0,
                   L"Cannot read " + m_path);
        // One byte more than was written, so that a copy that grew shows as one.
        std::vector<std::uint8_t> bytes(expected + 1);
        std::size_t filled = 0;
        for (;;) {
            if (filled == bytes.size()) {
                bytes.resize(bytes.size() * 2);
            }
            DWORD read = 0;
            Win32Check(
                ReadFile(m_handle.Get(), bytes.data() + filled, IoChunk(bytes.size() - filled), &read, nullptr) != 0,
                L"Cannot read " + m_path);
            if (read == 0) {
                bytes.resize(filled);
                return bytes;
            }
            filled += read;
        }
    }

    void Protect(const Protection& protection) {
        // Under Wine the copy was made with the mode its protection comes to; a DACL given now
        // would have the mode worked out anew, the Wine way.
        if (!protection.securityDescriptor.empty() && !RunsUnderWine()) {
            const auto descriptor = const_cast<BYTE*>(protection.securityDescriptor.data());
            // The owner and group only where the system lets this user give them away; the access
            // list is what keeps others out, and it must hold.
            SetFileSecurityW(m_path.c_str(), OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION, descriptor);
            if (!SetKernelObjectSecurity(m_handle.Get(), DACL_SECURITY_INFORMATION, descriptor)) {
                if (const DWORD error = GetLastError(); !IsWithoutSecurity(error)) {
                    throw EOSError(error, L"Cannot protect " + m_path);
                }
            }
        }
        FILE_BASIC_INFO basic{};
        basic.CreationTime.LowPart = protection.creationTime.dwLowDateTime;
        basic.CreationTime.HighPart = static_cast<LONG>(protection.creationTime.dwHighDateTime);
        // Read-only is the caller's to set again: the original could not have been replaced with it.
        basic.FileAttributes = SettableAttributes(protection.attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
        Win32Check(SetFileInformationByHandle(m_handle.Get(), FileBasicInfo, &basic, sizeof basic) != 0,
                   L"Cannot protect " + m_path);
    }

    void TakePlaceOf(const std::wstring& path) {
        for (int attempt = 1;; ++attempt) {
            if (RenameByHandle(m_handle.Get(), path, true)) {
                m_placed = true;
                return;
            }
            DWORD error = GetLastError();
            if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
                // The system refuses to replace a file another program has open, and says only that
                // access was denied. Where every program that holds it lets it be deleted, as
                // scanners, indexers and viewers do, it goes aside for the copy.
                const TFileHandle held(CreateFileW(path.c_str(), DELETE,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                   OPEN_EXISTING, 0, nullptr));
                if (held.Valid()) {
                    TakePlaceOfHeld(held.Get(), path);
                    return;
                }
                if (GetLastError() == ERROR_SHARING_VIOLATION) {
                    error = ERROR_SHARING_VIOLATION;
                }
            }
            if (error != ERROR_SHARING_VIOLATION || attempt == kReplaceAttempts) {
                throw EOSError(error, L"Cannot replace " + path);
            }
            Sleep(kReplaceRetryMs);
        }
    }

private:
    // The file at path, open as held, goes aside under a name the next start recognises, and the
    // copy takes its place; it is gone once the last program that holds it lets go. Between the
    // two renames the name is free for an instant: should the program end right there, the next
    // start puts the file back (RemoveLeftoverTemporaryFiles).
    void TakePlaceOfHeld(HANDLE held, const std::wstring& path) {
        for (int attempt = 0; !RenameByHandle(held, UniqueNameBeside(path, kAsideSuffix), false); ++attempt) {
            if (const DWORD error = GetLastError(); !IsNameTaken(error) || attempt == 16) {
                throw EOSError(error, L"Cannot replace " + path);
            }
        }
        if (!RenameByHandle(m_handle.Get(), path, false)) {
            const DWORD error = GetLastError();
            RenameByHandle(held, path, false);
            throw EOSError(error, L"Cannot replace " + path);
        }
        m_placed = true;
        FILE_DISPOSITION_INFO disposition{TRUE};
        SetFileInformationByHandle(held, FileDispositionInfo, &disposition, sizeof disposition);
    }

    std::wstring m_path;
    TFileHandle m_handle;
    bool m_placed = false;
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
    CheckReplaceable(attributes, path);
}

// Opens the leftover copy at path as itself, never a file a link of that name points to. Windows
// opens a link itself when asked to; Wine always opens what a link points to, so whatever the
// system opened must be the entry named, in the folder named.
HANDLE OpenLeftover(const std::wstring& path, const std::wstring& expected, DWORD access, DWORD sharing) {
    TFileHandle file(
        CreateFileW(path.c_str(), access, sharing, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.Valid() || !SamePathText(FinalPathOf(file.Get()), expected)) {
        return INVALID_HANDLE_VALUE;
    }
    return file.Release();
}

void PutBack(const std::wstring& path, const std::wstring& expected, const std::wstring& target) {
    const TFileHandle file(OpenLeftover(path, expected, DELETE | FILE_READ_ATTRIBUTES, 0));
    if (file.Valid()) {
        RenameByHandle(file.Get(), target, false);
    }
}

void RemoveLeftover(const std::wstring& path, const std::wstring& expected) {
    // A first look that locks nothing, so that a user's file behind a link is not even held.
    const bool itself = TFileHandle(OpenLeftover(path, expected, FILE_READ_ATTRIBUTES,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
                            .Valid();
    if (!itself) {
        return;
    }
    // Without sharing: a copy some process still writes or reads stays.
    const TFileHandle file(OpenLeftover(path, expected, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, 0));
    if (!file.Valid()) {
        return;
    }
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(file.Get(), FileBasicInfo, &basic, sizeof basic)) {
        return;
    }
    // The system refuses to delete a read-only file; the copy was never the user's to protect.
    if ((basic.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        const DWORD attributes =
            SettableAttributes(basic.FileAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
        basic = FILE_BASIC_INFO{};
        basic.FileAttributes = attributes;
        SetFileInformationByHandle(file.Get(), FileBasicInfo, &basic, sizeof basic);
    }
    FILE_DISPOSITION_INFO disposition{TRUE};
    SetFileInformationByHandle(file.Get(), FileDispositionInfo, &disposition, sizeof disposition);
}

}  // namespace

std::vector<std::uint8_t> ReadFileBytes(const std::wstring& path) {
    TFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
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
    std::optional<Protection> protection = ProtectionOf(path);
    std::optional<TWineCopySecurity> wineSecurity;
    if (protection && RunsUnderWine()) {
        wineSecurity.emplace(protection->securityDescriptor);
    }
    TemporaryFile temporary(path, wineSecurity ? wineSecurity->Attributes() : nullptr);
    temporary.Write(bytes);
    verify(temporary.ReadBack(bytes.size()));
    if (protection) {
        temporary.Protect(*protection);
    }
    // The state that counts is the one right before the swap.
    CheckReplaceable(path);
    temporary.TakePlaceOf(path);
}

TFileWriter SetFileWriter(TFileWriter writer) {
    return std::exchange(FileWriter(), std::move(writer));
}

bool SetSettableAttributes(const std::wstring& path, unsigned long attributes) {
    return SetFileAttributesW(path.c_str(), SettableAttributes(attributes)) != 0;
}

std::wstring FinalPath(const std::wstring& path) {
    const TFileHandle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid()) {
        return path;
    }
    const std::wstring final = FinalPathOf(file.Get());
    return final.empty() ? path : final;
}

void RemoveLeftoverTemporaryFiles(const std::wstring& path) {
    const std::wstring target = FinalPath(path);
    const std::wstring folder = FolderOf(target);
    const std::wstring fileName = FileNameOf(target);
    // A leftover is only what lies in the folder itself under its own name.
    std::wstring finalFolder = FinalPath(folder);
    if (finalFolder.empty() || (finalFolder.back() != L'\\' && finalFolder.back() != L'/')) {
        finalFolder += L'\\';
    }
    for (const std::wstring_view suffix : {std::wstring_view(kAsideSuffix), std::wstring_view(kTemporarySuffix)}) {
        WIN32_FIND_DATAW entry;
        const TFindHandle find(FindFirstFileW((target + L".*" + std::wstring(suffix)).c_str(), &entry));
        if (!find.Valid()) {
            continue;
        }
        do {
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
                !IsUniqueNameOf(entry.cFileName, fileName, suffix)) {
                continue;
            }
            const std::wstring leftover = (folder == L"." ? std::wstring() : folder) + entry.cFileName;
            // A file set aside whose copy never took its place is the user's file: it goes back.
            if (suffix == kAsideSuffix && GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES &&
                GetLastError() == ERROR_FILE_NOT_FOUND) {
                PutBack(leftover, finalFolder + entry.cFileName, target);
            } else {
                RemoveLeftover(leftover, finalFolder + entry.cFileName);
            }
        } while (FindNextFileW(find.Get(), &entry));
    }
}

}  // namespace framework
