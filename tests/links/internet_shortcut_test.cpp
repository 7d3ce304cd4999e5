#include "links/internet_shortcut.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orbelune {
namespace {

TEST(InternetShortcut, UrlEntryAsTheProfileFunctionsReadIt) {
    EXPECT_EQ(InternetShortcutUrl(L"[InternetShortcut]\r\nURL=http://example.jp/\r\n"), L"http://example.jp/");
    EXPECT_EQ(InternetShortcutUrl(L"[DEFAULT]\nBASEURL=x\n[internetshortcut]\n  url  =  \"http://a/\"  \n"), L"http://a/");
    EXPECT_EQ(InternetShortcutUrl(L"[Other]\nURL=no\n[InternetShortcut]\nIconIndex=1\nURL=yes\nURL=second\n"), L"yes");
    EXPECT_EQ(InternetShortcutUrl(L"[InternetShortcut]\n;URL=commented\nURL='single'\n"), L"single");
    EXPECT_EQ(InternetShortcutUrl(L"URL=outside\n[InternetShortcut]\nIconFile=x\n"), L"");
    EXPECT_EQ(InternetShortcutUrl(L"[InternetShortcut]\nURL=\n"), L"");
    EXPECT_EQ(InternetShortcutUrl(L""), L"");
    // Names of the same length differing in one letter are other names.
    EXPECT_EQ(InternetShortcutUrl(L"[InternetShortcuz]\nURL=no\n[InternetShortcut]\nURI=no\nURL=yes\n"), L"yes");

    // Of a value longer than what is kept, its first characters; an opening
    // quote goes when the value, up to a NUL, ends in the same quote.
    using namespace std::string_literals;
    const std::wstring q(InternetShortcutScanner::kKeptOfValue, L'q');
    const auto url = [](const std::wstring& value) { return InternetShortcutUrl(L"[InternetShortcut]\nURL=" + value); };
    EXPECT_EQ(url(L"\"" + q.substr(2) + L"\""), q.substr(2));  // kept whole
    EXPECT_EQ(url(L"\"" + q.substr(1) + L"\"  "), q.substr(1));  // one character over
    EXPECT_EQ(url(L"\"" + q + L"\"\0x"s), q.substr(1));
    EXPECT_EQ(url(L"\"" + q + L"\0\""s), L"\"" + q.substr(1));
}

TEST(InternetShortcut, NamesFromPaths) {
    EXPECT_EQ(NameWithoutExtension(L"C:\\Fav\\News Site.url"), L"News Site");
    EXPECT_EQ(NameWithoutExtension(L"C:\\Fav\\a.b.url"), L"a.b");
    EXPECT_EQ(NameWithoutExtension(L"C:\\Fav.d\\noext"), L"noext");
    EXPECT_EQ(JoinPath(L"C:\\Fav", L"a.url"), L"C:\\Fav\\a.url");
    EXPECT_EQ(JoinPath(L"C:\\", L"a.url"), L"C:\\a.url");
}

TEST(InternetShortcut, TextInPiecesReadsAsTheWhole) {
    const std::wstring text = L"[a]\r\nURL=x\r\n[InternetShortcut]\r\n  URL = \"http://p/\"\r\nURL=second\r\n";
    for (std::size_t piece : {1u, 2u, 5u, 64u}) {
        InternetShortcutScanner scanner;
        for (std::size_t at = 0; at < text.size(); at += piece) scanner.Feed(std::wstring_view(text).substr(at, piece));
        scanner.Finish();
        EXPECT_EQ(scanner.Url(), L"http://p/") << piece;
    }
    // A piece ends before a character cut at its end.
    const struct {
        std::vector<std::uint8_t> bytes;
        TextEncoding encoding;
        std::size_t whole;
    } cuts[] = {
        {{'a', 0x83, 0x5C, 0x83}, TextEncoding::Cp932, 3},  // ソ then a lone first byte
        {{0x83, 0x5C, 0x5C}, TextEncoding::Cp932, 3},       // 0x5C after a whole ソ is "\"
        {{'a', 0xE3, 0x81}, TextEncoding::Utf8, 1},
        {{'a', 0xE3, 0x81, 0x82}, TextEncoding::Utf8, 4},
        {{'a', 0, 'b'}, TextEncoding::Utf16, 2},
        {{'a', 0x83, 0x5C}, TextEncoding::Cp932, 3},
        {{'a', 'b'}, TextEncoding::Utf8, 2},
        {{0x80, 0x80}, TextEncoding::Utf8, 2},  // no lead at all
        {{'a', 0xC0}, TextEncoding::Utf8, 1},   // the lowest lead of each length, cut
        {{'a', 0xC3, 0x80}, TextEncoding::Utf8, 3},
        {{'a', 0xE0, 0x80}, TextEncoding::Utf8, 1},
        {{'a', 0xF0, 0x80, 0x80}, TextEncoding::Utf8, 1},
        {{'a', 0xF4, 0x80, 0x80, 0x80}, TextEncoding::Utf8, 5},
    };
    for (const auto& c : cuts)
        EXPECT_EQ(WholeCharacterBytes(c.bytes.data(), c.bytes.size(), c.encoding), c.whole);
    // Code page 932's lead bytes, 0x81 to 0x9F and 0xE0 to 0xFC, at their bounds.
    for (const std::uint8_t b : {0x80, 0x81, 0x9F, 0xA0, 0xDF, 0xE0, 0xFC, 0xFD}) {
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        const std::uint8_t bytes[] = {'a', b};
        EXPECT_EQ(WholeCharacterBytes(bytes, 2, TextEncoding::Cp932), lead ? 1u : 2u) << int{b};
    }
}

// The byte-order marks, whole and in part.
TEST(InternetShortcut, EncodingFromTheFirstBytes) {
    const struct {
        std::vector<std::uint8_t> bytes;
        TextEncoding encoding;
        std::size_t mark;
    } rows[] = {
        {{0xFF, 0xFE}, TextEncoding::Utf16, 2},     {{0xFF, 0xFE, 'a', 0}, TextEncoding::Utf16, 2},
        {{0xFF}, TextEncoding::Cp932, 0},           {{0xFE, 0xFE}, TextEncoding::Cp932, 0},
        {{0xFF, 0xFF}, TextEncoding::Cp932, 0},     {{0xEF, 0xBB, 0xBF}, TextEncoding::Utf8, 3},
        {{0xEF, 0xBB}, TextEncoding::Cp932, 0},     {{0xEE, 0xBB, 0xBF}, TextEncoding::Cp932, 0},
        {{0xEF, 0xBA, 0xBF}, TextEncoding::Cp932, 0}, {{0xEF, 0xBB, 0xBE}, TextEncoding::Cp932, 0},
        {{'[', 'I'}, TextEncoding::Cp932, 0},
    };
    for (const auto& r : rows) {
        std::size_t mark = 99;
        EXPECT_EQ(TextEncodingOf(r.bytes.data(), r.bytes.size(), mark), r.encoding) << testing::PrintToString(r.bytes);
        EXPECT_EQ(mark, r.mark) << testing::PrintToString(r.bytes);
    }
}

}  // namespace
}  // namespace orbelune
