// Reading the "URL" entry of an Internet shortcut (*.url), a file in the
// INI format, and the names the link-target browser derives from paths.
// Free of windows.h.
#pragma once

#include <string>
#include <string_view>

namespace orbelune {

// The value of key "URL" in section "InternetShortcut" of the INI text, as
// the system's profile functions give it: names compared without letter
// case, blanks around names and values dropped, one pair of matching quotes
// around the value removed, the first such entry taken. Empty when there is
// none.
std::wstring InternetShortcutUrl(std::wstring_view iniText);

// The file name of a path without its extension: the text after the last
// "\" up to the last "."; a name without "." is taken whole.
std::wstring NameWithoutExtension(std::wstring_view path);

// A folder and a file name in it: a "\" between them unless the folder
// already ends in one.
std::wstring JoinPath(std::wstring_view folder, std::wstring_view name);

}  // namespace orbelune
