#include "store/button_set_file.h"

#include <algorithm>
#include <map>
#include <unordered_set>

namespace orbelune {

namespace {

bool Blank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0x1A; }

// A name's character as the profile reader compares it with the ASCII
// names looked for: no letter beyond ASCII matches one of them.
wchar_t Folded(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

std::wstring FoldedName(std::wstring_view name) {
    std::wstring folded(name.substr(0, std::min(name.find(L'\0'), name.size())));
    for (wchar_t& c : folded) c = Folded(c);
    return folded;
}

std::wstring_view Trimmed(std::wstring_view s) {
    while (!s.empty() && Blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && Blank(s.back())) s.remove_suffix(1);
    return s;
}

// A value as the reader hands it over: up to a NUL, less one pair of
// matching quotes.
std::wstring ValueOf(std::wstring_view value) {
    value = value.substr(0, std::min(value.find(L'\0'), value.size()));
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::wstring(value);
}

// The first entry of each name in the first section called `section`
// (folded), in the file's order: its value, none for a line without "=",
// which the reader gives as a key that is not there. Nothing without such a
// section.
using Entries = std::vector<std::pair<std::wstring, std::optional<std::wstring>>>;
std::optional<Entries> SectionEntries(std::wstring_view text, std::wstring_view section) {
    std::optional<Entries> entries;
    std::unordered_set<std::wstring> seen;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = at;
        while (end < text.size() && text[end] != L'\r' && text[end] != L'\n') ++end;
        const std::wstring_view line = Trimmed(text.substr(at, end - at));
        at = end;
        while (at < text.size() && (text[at] == L'\r' || text[at] == L'\n')) ++at;
        if (line.empty()) continue;
        const std::size_t close = line.rfind(L']');
        if (line.front() == L'[' && close != std::wstring_view::npos) {
            if (entries) return entries;  // the first such section has ended
            if (FoldedName(Trimmed(line.substr(1, close - 1))) == section) entries.emplace();
            continue;
        }
        if (!entries) continue;
        const std::size_t equals = line.find(L'=');
        const std::wstring_view name = Trimmed(line.substr(0, equals));
        std::wstring folded = FoldedName(name);
        if (!seen.insert(folded).second) continue;
        std::optional<std::wstring> value;
        if (equals != std::wstring_view::npos) value = ValueOf(Trimmed(line.substr(equals + 1)));
        entries->emplace_back(std::move(folded), std::move(value));
    }
    return entries;
}

enum class Key { Caption, Action, Icon, HotIcon, Show, ToolTipText };

constexpr std::pair<std::wstring_view, Key> kKeys[] = {
    {L"caption", Key::Caption}, {L"action", Key::Action}, {L"icon", Key::Icon},
    {L"hoticon", Key::HotIcon}, {L"show", Key::Show},     {L"tooltiptext", Key::ToolTipText},
};

// A button's key and its number from a folded name: a name of the list
// followed by the plain decimal text of a number below 10^9.
std::optional<std::pair<Key, std::uint32_t>> ButtonKey(std::wstring_view name) {
    std::size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= L'0' && name[digits - 1] <= L'9') --digits;
    const std::wstring_view number = name.substr(digits);
    if (number.empty() || number.size() > 9 || (number.size() > 1 && number.front() == L'0')) return std::nullopt;
    std::uint32_t n = 0;
    for (wchar_t c : number) n = n * 10 + static_cast<std::uint32_t>(c - L'0');
    for (const auto& [keyName, key] : kKeys)
        if (name.substr(0, digits) == keyName) return std::pair{key, n};
    return std::nullopt;
}

void AppendLine(std::wstring& text, std::wstring_view name, std::size_t number, std::wstring_view value, bool quoted) {
    text += name;
    text += std::to_wstring(number);
    text += quoted ? L"=\"" : L"=";
    text += value;
    text += quoted ? L"\"\r\n" : L"\r\n";
}

}  // namespace

std::optional<ButtonSetContents> ReadButtonSet(std::wstring_view text) {
    const auto entries = SectionEntries(text, L"browsertoolbars");
    if (!entries) return std::nullopt;
    ButtonSetContents contents;
    std::map<std::uint32_t, ButtonSetEntry> buttons;
    for (const auto& [name, given] : *entries) {
        if (!given) continue;
        const std::wstring& value = *given;
        if (name == L"deletebuttons") {
            contents.deleteButtons = value == L"1";
            continue;
        }
        const auto key = ButtonKey(name);
        if (!key) continue;
        ButtonSetEntry& button = buttons[key->second];
        button.number = key->second;
        switch (key->first) {
        case Key::Caption: button.caption = value; break;
        case Key::Action: button.action = value; break;
        case Key::Icon: button.icon = value; break;
        case Key::HotIcon: button.hotIcon = value; break;
        case Key::Show:
        case Key::ToolTipText: break;  // the name is the tip; every button is shown
        }
    }
    contents.buttons.reserve(buttons.size());
    for (auto& [number, button] : buttons) contents.buttons.push_back(std::move(button));
    return contents;
}

bool ProfileCanHold(std::wstring_view value) { return value.find_first_of(std::wstring_view(L"\r\n\0", 3)) == std::wstring_view::npos; }

void AppendButtonSetEntry(std::wstring& text, std::size_t n, const ButtonSetEntry& b) {
    AppendLine(text, L"Caption", n, b.caption, true);
    AppendLine(text, L"Action", n, b.action, true);
    AppendLine(text, L"Icon", n, b.icon, true);
    AppendLine(text, L"HotIcon", n, b.hotIcon, true);
    AppendLine(text, L"Show", n, L"1", false);
    AppendLine(text, L"ToolTipText", n, b.caption, true);
}

std::wstring ButtonSetText(const std::vector<ButtonSetEntry>& buttons) {
    std::wstring text = kButtonSetHeader;
    for (std::size_t n = 0; n < buttons.size(); ++n) AppendButtonSetEntry(text, n, buttons[n]);
    return text;
}

}  // namespace orbelune
