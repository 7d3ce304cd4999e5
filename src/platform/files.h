// File system questions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbelune {

// Whether the path names an existing file; a folder does not count, and an
// empty path never does.
bool FileExists(const std::wstring& path);

// Whether the path names an existing folder.
bool IsFolder(const std::wstring& path);

// The folder of the running program, ending in "\".
std::wstring ProgramFolder();

// The whole file; nothing when it cannot be opened or read, or holds more
// than `limit` bytes (`tooLarge` tells which).
std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::wstring& path, std::size_t limit,
                                                       bool* tooLarge = nullptr);

// Whether the two files hold the same bytes; false when either cannot be read.
bool SameFileBytes(const std::wstring& a, const std::wstring& b);

// Copies a file to a path that names nothing yet; false when that path
// names something or the copy fails (and nothing is left there).
bool CopyToNewFile(const std::wstring& from, const std::wstring& to);

// Removes a file; false when it could not.
bool RemoveFile(const std::wstring& path);

// Makes the folder, and the folders above it, where they are missing.
bool MakeFolders(const std::wstring& folder);

// The folder of a path, up to and with its last "\" or "/"; empty when it
// names none.
std::wstring FolderOfPath(std::wstring_view path);
// The file name of a path, after its last "\" or "/".
std::wstring FileNameOfPath(std::wstring_view path);
// Whether a path starts at a drive or a share ("C:\", "\\server") or at
// the root of the current drive ("\").
bool IsAbsolutePath(std::wstring_view path);
// The first path in `folder` for the file name that is free, or that names
// a file with the bytes of `source`: the name itself, then "name (2).ext",
// "name (3).ext" and so on. A path for which `taken` says true counts as
// used whatever it holds.
std::wstring FreeOrSamePath(const std::wstring& folder, const std::wstring& name, const std::wstring& source,
                            const std::function<bool(const std::wstring& path)>& taken);

}  // namespace orbelune
