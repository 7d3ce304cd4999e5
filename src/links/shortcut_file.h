// Internet shortcut files (*.url) on disk: the address one holds, for the
// link-target browser and for a shortcut dropped onto the main window.
#pragma once

#include <string>

namespace orbelune {

// The text of a shortcut's "URL" entry, at most 2047 bytes of code page
// 932; empty when the file, the section or the entry is missing.
std::wstring ReadInternetShortcut(const std::wstring& path);

// Whether a file name really ends in ".url" (any letter case).
bool EndsWithUrl(const std::wstring& name);

}  // namespace orbelune
