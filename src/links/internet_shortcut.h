// Reading the "URL" entry of an Internet shortcut (*.url), a file in the
// INI format, and the names the link-target browser derives from paths.
// Free of windows.h.
#pragma once

#include "platform/text_encoding.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orbelune {

// The value of key "URL" in section "InternetShortcut" of the INI text, as
// the platform's profile reader gives it: lines end at CR or LF; blanks
// (space, tab, VT, FF, CR, LF and ^Z) around lines, names and values are
// dropped; a line starting with "[" and holding a "]" starts a section named
// by the text up to its last "]"; only the first section of that name is
// read; of a key only the first entry counts, also one without "=", which
// gives empty text; names and values end at a NUL; one pair of matching
// quotes around the value is removed; names are compared without ASCII
// letter case. Empty when there is no such entry.
std::wstring InternetShortcutUrl(std::wstring_view iniText);

// The same for text given piece by piece, however long, in bounded memory:
// of the value only its first kKeptOfValue characters are kept, enough for
// any value the program takes. Once the value is settled the rest of the
// text is not looked at.
class InternetShortcutScanner {
public:
    static constexpr std::size_t kKeptOfValue = 8192;

    void Feed(std::wstring_view text);
    // The end of the text: ends its last line.
    void Finish();
    // Whether the entry or the end of the first section has been read.
    bool Settled() const noexcept { return settled_; }
    // The value found; of a longer one its first kKeptOfValue characters,
    // less an opening quote that is removed.
    const std::wstring& Url() const noexcept { return url_; }

private:
    enum class Part {
        LineStart,    // blanks before the line's first character
        SectionLead,  // blanks after "["
        SectionName,  // the text after "[" and its blanks
        KeyName,      // a key in the section read
        ValueLead,    // blanks after the "=" of "URL"
        Value,
        Rest,         // what is left of a line that does not matter
    };
    void Take(wchar_t c);
    void EndLine();

    bool inSection_ = false;
    bool settled_ = false;
    std::wstring url_;
    // Whether the name read so far on the line is the one looked for.
    bool NameMatches(std::wstring_view wanted) const {
        return prefix_ && at_ >= wanted.size() && (nulAfter_ || !dirty_);
    }
    // The current line. A name matches while its first characters are the
    // name looked for and what follows them up to its end is blanks only or
    // starts with a NUL.
    Part part_ = Part::LineStart;
    std::size_t at_ = 0;      // characters of the name so far
    bool prefix_ = true;      // its first characters are those looked for
    bool nulAfter_ = false;   // a NUL right after them
    bool dirty_ = false;      // a non-blank after them
    bool closed_ = false;     // a "]" ends the section's name
    bool matches_ = false;    // the name up to the last "]" matches
    bool cut_ = false;        // the value is longer than what is kept
    bool ended_ = false;      // a NUL has ended the value
    wchar_t last_ = 0;        // the value's last character before a NUL
    wchar_t lastNonBlank_ = 0;
};

// The file name of a path without its extension: the text after the last
// "\" up to the last "."; a name without "." is taken whole.
std::wstring NameWithoutExtension(std::wstring_view path);

// A folder and a file name in it: a "\" between them unless the folder
// already ends in one.
std::wstring JoinPath(std::wstring_view folder, std::wstring_view name);

}  // namespace orbelune
