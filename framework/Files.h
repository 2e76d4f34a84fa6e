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

// Writes bytes to a new file beside path, reads that file back and passes its content to
// verify, and then puts it in the place of path in one step. Raises EOSError when path is a
// folder or read-only, or when any step fails, and any exception verify raises; path is then left
// exactly as it was and the new file is removed.
void ReplaceFileContents(const std::wstring& path,
                         std::span<const std::uint8_t> bytes,
                         const std::function<void(const std::vector<std::uint8_t>& written)>& verify);

}  // namespace framework
