// The button set as a file: the [BrowserToolbars] section that the
// browser's administration kit reads from its .ins files. Button n is the
// keys Caption<n> (its name), Action<n> (its link target), Icon<n>,
// HotIcon<n>, Show<n> and ToolTipText<n>; DeleteButtons=1 asks that the
// buttons present go first. Free of windows.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbelune {

inline constexpr wchar_t kButtonSetSection[] = L"BrowserToolbars";

// One button of a file, its values as the file gives them; a key the file
// lacks gives empty text.
struct ButtonSetEntry {
    std::uint32_t number = 0;  // the n of its keys
    std::wstring caption, action, icon, hotIcon;
};

struct ButtonSetContents {
    std::vector<ButtonSetEntry> buttons;  // in ascending n, one for each n that has any of the keys
    bool deleteButtons = false;           // DeleteButtons=1
};

// The file's text as the platform's profile reader reads it: lines end at
// CR or LF; blanks (space, tab to CR, ^Z) around lines, names and values are
// dropped; a line starting with "[" and holding a "]" starts a section
// named by the text between, up to its last "]"; only the first section of
// the name is read, and of a key only its first entry (one without "="
// counts as none, and hides any later one); names and values end at a NUL;
// one pair of matching quotes (" or ') around a value is removed; names are
// compared without ASCII letter case. Keys are numbered in plain decimal
// (Caption7, never Caption07). Nothing when the text holds no
// [BrowserToolbars] section.
std::optional<ButtonSetContents> ReadButtonSet(std::wstring_view text);

// Whether a value can be written so that the profile reader gives it back:
// it holds no line break and no NUL.
bool ProfileCanHold(std::wstring_view value);

// The text of a file of these buttons, numbered from 0 in the order given,
// every value quoted so that blanks and quotes at its ends come back. Each
// value must pass ProfileCanHold.
std::wstring ButtonSetText(const std::vector<ButtonSetEntry>& buttons);
// The same piece by piece: the section's line, then each button's lines.
inline constexpr wchar_t kButtonSetHeader[] = L"[BrowserToolbars]\r\n";
void AppendButtonSetEntry(std::wstring& text, std::size_t number, const ButtonSetEntry& button);

}  // namespace orbelune
