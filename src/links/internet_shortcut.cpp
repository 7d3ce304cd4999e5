#include "links/internet_shortcut.h"

namespace orbelune {

namespace {

constexpr std::wstring_view kSection = L"internetshortcut";
constexpr std::wstring_view kKey = L"url";

bool Blank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0x1A; }

wchar_t LowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

}  // namespace

void InternetShortcutScanner::Feed(std::wstring_view text) {
    for (const wchar_t c : text) {
        if (settled_) return;
        if (c == L'\r' || c == L'\n')
            EndLine();
        else
            Take(c);
    }
}

void InternetShortcutScanner::Finish() {
    if (!settled_) EndLine();
}

void InternetShortcutScanner::Take(wchar_t c) {
    // Follows the name looked for through the characters of a name.
    const auto name = [&](std::wstring_view wanted) {
        if (at_ < wanted.size())
            prefix_ = prefix_ && LowerAscii(c) == wanted[at_];
        else if (at_ == wanted.size() && c == L'\0')
            nulAfter_ = true;
        else if (!Blank(c))
            dirty_ = true;
        ++at_;
    };
    switch (part_) {
    case Part::LineStart:
        if (Blank(c)) return;
        if (c == L'[') {
            part_ = Part::SectionLead;
            return;
        }
        if (!inSection_) {
            part_ = Part::Rest;
            return;
        }
        part_ = Part::KeyName;
        name(kKey);
        return;
    case Part::SectionLead:
        if (Blank(c)) return;
        part_ = Part::SectionName;
        [[fallthrough]];
    case Part::SectionName:
        if (c == L']') {
            closed_ = true;
            matches_ = NameMatches(kSection);
        }
        name(kSection);
        return;
    case Part::KeyName:
        if (c != L'=') {
            name(kKey);
        } else if (NameMatches(kKey)) {
            part_ = Part::ValueLead;
        } else {
            part_ = Part::Rest;
        }
        return;
    case Part::ValueLead:
        if (Blank(c)) return;
        part_ = Part::Value;
        [[fallthrough]];
    case Part::Value:
        if (ended_) return;
        if (c == L'\0') {
            ended_ = true;
            return;
        }
        if (url_.size() < kKeptOfValue)
            url_ += c;
        else
            cut_ = true;
        last_ = c;
        if (!Blank(c)) lastNonBlank_ = c;
        return;
    case Part::Rest:
        return;
    }
}

void InternetShortcutScanner::EndLine() {
    switch (part_) {
    case Part::SectionLead:
    case Part::SectionName:
        // Without a "]" the line is a key, and no key starts with "[".
        if (!closed_) break;
        if (inSection_)
            settled_ = true;  // the first section is over
        else
            inSection_ = matches_;
        break;
    case Part::KeyName:
        // "URL" without "=": the entry is there, with no value.
        settled_ = NameMatches(kKey);
        break;
    case Part::ValueLead:
    case Part::Value: {
        // Blanks at the end of the line are dropped, those before a NUL kept.
        if (!ended_ && !cut_)
            while (!url_.empty() && Blank(url_.back())) url_.pop_back();
        const wchar_t closing = cut_ ? (ended_ ? last_ : lastNonBlank_) : url_.empty() ? 0 : url_.back();
        if ((cut_ || url_.size() >= 2) && (url_.front() == L'"' || url_.front() == L'\'') && closing == url_.front()) {
            if (!cut_) url_.pop_back();
            url_.erase(0, 1);
        }
        settled_ = true;
        break;
    }
    case Part::LineStart:
    case Part::Rest:
        break;
    }
    part_ = Part::LineStart;
    at_ = 0;
    prefix_ = true;
    nulAfter_ = dirty_ = closed_ = matches_ = false;
}

std::wstring InternetShortcutUrl(std::wstring_view text) {
    InternetShortcutScanner scanner;
    scanner.Feed(text);
    scanner.Finish();
    return scanner.Url();
}

std::wstring NameWithoutExtension(std::wstring_view path) {
    const auto slash = path.rfind(L'\\');
    std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind(L'.');
    if (dot != std::wstring_view::npos) name = name.substr(0, dot);
    return std::wstring(name);
}

std::wstring JoinPath(std::wstring_view folder, std::wstring_view name) {
    std::wstring path(folder);
    if (path.empty() || path.back() != L'\\') path += L'\\';
    path += name;
    return path;
}

}  // namespace orbelune
