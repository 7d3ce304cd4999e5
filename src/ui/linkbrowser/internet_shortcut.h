// Reading the "URL" entry of an Internet shortcut (*.url), a file in the
// INI format, and the names the link-target browser derives from paths.
// Free of windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orbelune {

// The value of key "URL" in section "InternetShortcut" of the INI text, as
// the system's profile functions give it: names compared without letter
// case, blanks around names and values dropped, one pair of matching quotes
// around the value removed, the first such entry taken. Empty when there is
// none.
std::wstring InternetShortcutUrl(std::wstring_view iniText);

// The same for text given piece by piece, however long: of each line only
// its first kKeptPerLine characters are kept, enough for any value the
// program takes, so a file of any size is read in bounded memory. Once the
// entry is found the rest of the text is not looked at.
class InternetShortcutScanner {
public:
    static constexpr std::size_t kKeptPerLine = 8192;

    void Feed(std::wstring_view text);
    // The end of the text: ends its last line.
    void Finish();
    bool Found() const noexcept { return found_; }
    // The value found; of a longer one its first characters, at least
    // kKeptPerLine less the characters of its key.
    const std::wstring& Url() const noexcept { return url_; }

private:
    void EndLine();

    std::wstring line_;  // the kept start of the current line, from its first non-blank
    bool cut_ = false;   // whether the current line is longer than what is kept
    wchar_t lastNonBlank_ = 0;
    bool inSection_ = false;
    bool found_ = false;
    std::wstring url_;
};

// How a shortcut file's text is stored: UTF-16 (little-endian) or UTF-8
// after their byte-order marks, code page 932 otherwise.
enum class ShortcutEncoding { Cp932, Utf8, Utf16 };

// The encoding the file's first bytes name; markSize gets the length of its
// byte-order mark.
ShortcutEncoding ShortcutEncodingOf(const std::uint8_t* bytes, std::size_t size, std::size_t& markSize);

// How many of the bytes, which begin at the start of a character, hold
// whole characters: a character cut at the end waits for the next piece.
std::size_t WholeCharacterBytes(const std::uint8_t* bytes, std::size_t size, ShortcutEncoding encoding);

// The file name of a path without its extension: the text after the last
// "\" up to the last "."; a name without "." is taken whole.
std::wstring NameWithoutExtension(std::wstring_view path);

// A folder and a file name in it: a "\" between them unless the folder
// already ends in one.
std::wstring JoinPath(std::wstring_view folder, std::wstring_view name);

}  // namespace orbelune
