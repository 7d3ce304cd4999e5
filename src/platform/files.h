// File system questions.
#pragma once

#include <string>

namespace orbelune {

// Whether the path names an existing file; a folder does not count, and an
// empty path never does.
bool FileExists(const std::wstring& path);

// Whether the path names an existing folder.
bool IsFolder(const std::wstring& path);

// The folder of the running program, ending in "\".
std::wstring ProgramFolder();

}  // namespace orbelune
