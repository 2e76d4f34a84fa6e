// Whole-file reads, and a replace that never leaves a half-written or unreadable file behind.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace framework {

// The file's whole content. Raises EOSError when it cannot be opened or read, as for a missing
// file, a folder, or a file another process holds without sharing.
std::vector<std::uint8_t> ReadFileBytes(const std::wstring& path);

// Writes bytes to a new file beside path, named path.<8 hex digits>.tmp, reads that file back and
// passes its content to verify, and then puts it in the place of path in one step. The new file
// keeps what protected the old one: its owner and access list, its creation time and its
// attributes. Raises EOSError when path is a folder or read-only (ERROR_FILE_READ_ONLY), when
// another process holds it (ERROR_SHARING_VIOLATION), or when any step fails, with the cause the
// system gave (ERROR_DISK_FULL for a disk without room), and any exception verify raises; path is
// then left exactly as it was and the new file is removed.
void ReplaceFileContents(const std::wstring& path,
                         std::span<const std::uint8_t> bytes,
                         const std::function<void(const std::vector<std::uint8_t>& written)>& verify);

// Writes count bytes to file and says how many went, as WriteFile does.
using TFileWriter =
    std::function<bool(void* file, const std::uint8_t* bytes, unsigned long count, unsigned long* written)>;

// Replaces the call that writes ReplaceFileContents's copy, so that a test can make a copy come
// back other than it was meant; an empty writer restores the system's. Returns the one before.
TFileWriter SetFileWriter(TFileWriter writer);

// Sets the attributes a program may set (read-only, hidden, system, archive, ...) to those given,
// whatever else attributes holds; false when the system refuses.
bool SetSettableAttributes(const std::wstring& path, unsigned long attributes);

// The path of the file that path names in the end, symbolic links followed; path itself when
// nothing is there or the system cannot tell. Replacing a link would turn it into a plain file,
// so whoever replaces a file replaces this one.
std::wstring FinalPath(const std::wstring& path);

// Deletes the temporary copies that ReplaceFileContents left beside the file path finally names
// when it was interrupted: only names of exactly that form (ASCII hex digits), only files no
// process holds open, read-only ones too. An entry of that name that is a link is never followed:
// Windows deletes the link itself, and where the system can only open what a link points to
// (Wine), the link stays and so does what it points to.
void RemoveLeftoverTemporaryFiles(const std::wstring& path);

}  // namespace framework
