#include "ui/linkbrowser/link_browser.h"

#include "app/application.h"
#include "support/gui.h"
#include "links/internet_shortcut.h"
#include "links/shortcut_file.h"
#include "ui/main/main_window.h"
#include "support/window_set.h"

#include <algorithm>
#include <cstdint>

namespace orbelune {
namespace {

using test::SetString;
using Texts = std::vector<std::wstring>;

// Files read by the link browser and by the platform's profile reader
// (GetPrivateProfileStringW) give the same text: chosen cases, and texts put
// together at random from the same kinds of lines. Each is written as UTF-16,
// which the platform reads whatever its code page, and, when it is plain
// ASCII, as code page 932 too.
TEST(InternetShortcut, ReadAsThePlatformsProfileReaderReadsThem) {
    using namespace std::string_literals;  // ""s keeps the NULs
    const std::wstring S = L"[InternetShortcut]\n";
    std::vector<std::wstring> texts = {
        S + L"URL=a\n[InternetShortcut]\nURL=b\n", S + L"X=1\n[InternetShortcut]\nURL=b\n",
        L"[InternetShortcut\nURL=a\n", S + L"[Other\nURL=a\n", L"[Other]\n[InternetShortcut\nURL=a\n",
        L"[ InternetShortcut ]\nURL=a\n", L"[InternetShortcut] x\nURL=a\n", L"[InternetShortcut]x]\nURL=a\n",
        L"[[InternetShortcut]\nURL=a\n", S + L"X=1\n[]\nURL=a\n", S + L"X=1\n[\nURL=a\n", S + L"URL\nURL=a\n",
        S + L"URL \t\nURL=a\n", S + L"\"URL\"=a\n", S + L"[URL=a\n", S + L"URL==a\n", S + L"URL=\"a\"b\"\n",
        S + L"URL='a\"\n", S + L"URL=\"\n", S + L"URL=\"\"\n", S + L"URL= \" a \" \n", S + L"X=1\rURL=a\rY=2",
        L"[Other]\r[InternetShortcut]\r\nURL=a", S + L"URL=\v\f\x1A a\t\x1A\n", L"\x1A[InternetShortcut]\f\nURL\v=a\n",
        S + L"URL=\xA0" L"a\x3000\n", S + L"URL=a\0b\n"s, S + L"URL=a \0b\n"s, S + L"URL=\"a\0b\"\n"s,
        S + L"URL=\"a\"\0b\n"s, S + L"URL\0x=a\n"s, S + L"UR\0L=a\nURL=b\n"s, S + L"URL \0x=a\n"s,
        S + L"URL\0\nURL=b\n"s, L"[InternetShortcut\0x]\nURL=a\n"s, L"[InternetShortcut \0x]\nURL=a\n"s,
    };
    const std::wstring lines[] = {L"[InternetShortcut]", L" [internetshortcut] ;", L"[InternetShortcut", L"[Other]",
                                  L"[]", L"URL=a", L"url = \"b\" ", L"URL", L"URL='c", L"X=1", L";URL=d", L"=e",
                                  L"URL=f\0g"s, L"URL\0=h"s, L"", L" \t", L"[InternetShortcut]]", L"\x1AURL =\x1A"};
    const std::wstring breaks[] = {L"\n", L"\r\n", L"\r", L"\n\n"};
    std::uint32_t seed = 15;
    const auto below = [&seed](std::size_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int i = 0; i < 400; ++i) {
        std::wstring text;
        for (auto count = below(6) + 1; count > 0; --count) text += lines[below(std::size(lines))] + breaks[below(4)];
        texts.push_back(text);
    }

    test::TempFolder folder;
    int files = 0;
    const auto compare = [&](const std::wstring& text, const std::vector<unsigned char>& bytes) {
        const std::wstring path = folder.File(std::to_wstring(files++) + L".url");
        test::WriteFileBytes(path, bytes);
        wchar_t platform[2048] = {};
        ::GetPrivateProfileStringW(L"InternetShortcut", L"URL", L"", platform, 2048, path.c_str());
        EXPECT_EQ(ReadInternetShortcut(path), platform) << testing::PrintToString(text);
    };
    for (const auto& text : texts) {
        const std::wstring marked = L"\xFEFF" + text;
        const auto* p = reinterpret_cast<const unsigned char*>(marked.data());
        compare(text, std::vector<unsigned char>(p, p + marked.size() * 2));
        if (std::all_of(text.begin(), text.end(), [](wchar_t c) { return c > 0 && c < 0x80; }))
            compare(text, std::vector<unsigned char>(text.begin(), text.end()));
    }
}

TEST(InternetShortcut, ReadsCodePage932AndUnicodeFiles) {
    test::TempFolder folder;
    const std::wstring sjis = folder.File(L"日本.url");
    // "http://例え.jp/ソ表" in code page 932: 0x5C second bytes included.
    std::vector<unsigned char> bytes;
    for (char c : std::string("[InternetShortcut]\r\nURL=http://")) bytes.push_back(static_cast<unsigned char>(c));
    for (int c : std::initializer_list<int>{0x97, 0xE1, 0x82, 0xA6, '.', 'j', 'p', '/', 0x83, 0x5C, 0x95, 0x5C, '\r', '\n'})
        bytes.push_back(static_cast<unsigned char>(c));
    test::WriteFileBytes(sjis, bytes);
    EXPECT_EQ(ReadInternetShortcut(sjis), L"http://例え.jp/ソ表");

    const std::wstring unicode = folder.File(L"u.url");
    const std::wstring text = L"\xFEFF[InternetShortcut]\r\nURL=http://ü.example/\r\n";
    std::vector<unsigned char> utf16(reinterpret_cast<const unsigned char*>(text.data()),
                                     reinterpret_cast<const unsigned char*>(text.data() + text.size()));
    test::WriteFileBytes(unicode, utf16);
    EXPECT_EQ(ReadInternetShortcut(unicode), L"http://ü.example/");

    // At most 2,047 bytes of code page 932, in whole characters.
    const std::wstring longUrl = folder.File(L"long.url");
    const auto read = [&](const std::string& value) {
        const std::string line = "[InternetShortcut]\nURL=" + value + "\n";
        test::WriteFileBytes(longUrl, std::vector<unsigned char>(line.begin(), line.end()));
        return ReadInternetShortcut(longUrl);
    };
    EXPECT_EQ(read(std::string(3000, 'a')).size(), 2047u);
    EXPECT_EQ(read(std::string(2047, 'a')), std::wstring(2047, L'a'));
    EXPECT_EQ(read(std::string(2048, 'a')), std::wstring(2047, L'a'));
    EXPECT_EQ(read(std::string(2045, 'a') + "\x83\x5C"), std::wstring(2045, L'a') + L"ソ");
    EXPECT_EQ(read(std::string(2046, 'a') + "\x83\x5C"), std::wstring(2046, L'a'));

    // A quoted value too long to keep whole: its first 2047 bytes.
    EXPECT_EQ(read(std::string(20000, 'q').insert(0, 1, '"').append("\"  ")), std::wstring(2047, L'q'));

    EXPECT_EQ(ReadInternetShortcut(folder.File(L"missing.url")), L"");
}

const std::wstring kShellFolders = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const std::wstring kTypedUrls = L"\\Software\\Microsoft\\Internet Explorer\\TypedURLs";

class LinkBrowserTest : public test::AppTest {
protected:
    test::TempFolder favorites_;

    void SetUp() override {
        Shortcut(L"News Site.url", "http://news.example/");
        Shortcut(L"a.b.url", "http://ab.example/");
        Shortcut(L"c.URL", "http://c.example/");
        test::WriteFileBytes(favorites_.File(L"NoEntry.url"), {'[', 'X', ']'});
        Shortcut(L"hidden.url", "http://hidden/");
        ::SetFileAttributesW(favorites_.File(L"hidden.url").c_str(), FILE_ATTRIBUTE_HIDDEN);
        ::CreateDirectoryW(favorites_.File(L"folder.url").c_str(), nullptr);
        test::WriteFileBytes(favorites_.File(L"notes.txt"), {'x'});
        SetString(HKEY_CURRENT_USER, kShellFolders, L"Favorites", favorites_.Path());
        SetString(HKEY_CURRENT_USER, kTypedUrls, L"url1", L"http://typed-one/");
        SetString(HKEY_CURRENT_USER, kTypedUrls, L"url3", L"http://typed-three/");
        SetString(HKEY_CURRENT_USER, kTypedUrls, L"url26", L"http://beyond/");
        Start();
    }
    void Shortcut(const std::wstring& name, const std::string& url) {
        const std::string text = "[InternetShortcut]\r\nURL=" + url + "\r\n";
        test::WriteFileBytes(favorites_.File(name), std::vector<unsigned char>(text.begin(), text.end()));
    }
    HWND C(int id) { return TheLinkBrowser()->Control(id); }
    void OpenBrowser() {
        ::SendMessageW(TheMainWindow()->Control(MainWindow::kLinkBrowseButton), BM_CLICK, 0, 0);
        test::Pump();
    }
    Texts Items(int list) { return test::ListItems(C(list)); }
    void ClickRow(int list, int row, bool twice = false) {
        RECT r{};
        ::SendMessageW(C(list), LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
        const LPARAM at = MAKELPARAM(r.left + 5, r.top + 3);
        ::SendMessageW(C(list), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(C(list), WM_LBUTTONUP, 0, at);
        if (twice) {
            ::SendMessageW(C(list), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            ::SendMessageW(C(list), WM_LBUTTONUP, 0, at);
        }
        test::Pump();
    }
    void Click(int id) {
        ::SendMessageW(C(id), BM_CLICK, 0, 0);
        test::Pump();
    }
    bool Checked(int radio) { return ::SendMessageW(C(radio), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    COLORREF ListBackground(int list) {
        ::RedrawWindow(C(list), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        HDC dc = ::GetDC(C(list));
        const COLORREF colour = ::GetPixel(dc, 100, 250);
        ::ReleaseDC(C(list), dc);
        return colour;
    }
};

TEST_F(LinkBrowserTest, Layout) {
    const struct {
        int id;
        const wchar_t* text;
    } table[] = {
        {LinkBrowser::kFavoritesList, L""}, {LinkBrowser::kTypedAddressList, L""},
        {LinkBrowser::kOkButton, L"OK"},     {LinkBrowser::kCancelButton, L"キャンセル"},
        {LinkBrowser::kSourceGroup, L"読み込み元"}, {LinkBrowser::kStatusBar, L""},
    };
    for (const auto& c : table)
        test::ExpectAtLayoutRow(C(c.id), LinkBrowser::kControls, c.id, c.text);
    EXPECT_EQ(::SendMessageW(C(LinkBrowser::kFavoritesList), LB_GETITEMHEIGHT, 0, 0), 16);
    EXPECT_EQ(::SendMessageW(C(LinkBrowser::kTypedAddressList), LB_GETITEMHEIGHT, 0, 0), 12);
    EXPECT_EQ(test::WindowTextOf(C(LinkBrowser::kFavoritesRadio)), L"お気に入り");
    EXPECT_EQ(test::WindowTextOf(C(LinkBrowser::kTypedAddressRadio)), L"手書き入力");
    EXPECT_EQ(test::WindowTextOf(C(LinkBrowser::kTypedAddressLabel)), L"手書き入力 プルダウン");
}

TEST_F(LinkBrowserTest, OpeningListsFavouritesAndTypedAddresses) {
    EXPECT_FALSE(TheLinkBrowser()->IsShown());
    OpenBrowser();
    EXPECT_TRUE(TheLinkBrowser()->IsShown());
    EXPECT_FALSE(TheMainWindow()->IsEnabled());
    EXPECT_EQ(TheLinkBrowser()->FavoritesFolder(), favorites_.Path());
    EXPECT_EQ(Items(LinkBrowser::kFavoritesList), (Texts{L"a.b.url", L"c.URL", L"News Site.url", L"NoEntry.url"}));
    EXPECT_EQ(Items(LinkBrowser::kTypedAddressList), (Texts{L"http://typed-one/", L"http://typed-three/"}));
    EXPECT_TRUE(Checked(LinkBrowser::kFavoritesRadio));
    EXPECT_EQ(ListBackground(LinkBrowser::kFavoritesList), RGB(225, 255, 217));
    EXPECT_EQ(ListBackground(LinkBrowser::kTypedAddressList), ::GetSysColor(COLOR_WINDOW));

    Click(LinkBrowser::kCancelButton);  // cancel
    EXPECT_FALSE(TheLinkBrowser()->IsShown());
    EXPECT_TRUE(TheMainWindow()->IsEnabled());
    OpenBrowser();
    OpenBrowser();
    EXPECT_EQ(Items(LinkBrowser::kTypedAddressList),
              (Texts{L"http://typed-one/", L"http://typed-three/"}));  // read afresh
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(LinkBrowserTest, TypedAddressesReadAfreshKeepTheSelectedOne) {
    SetString(HKEY_CURRENT_USER, kTypedUrls, L"url0", L"http://typed-zero/");
    SetString(HKEY_CURRENT_USER, kTypedUrls, L"url25", L"http://typed-25/");
    const Texts all = {L"http://typed-zero/", L"http://typed-one/", L"http://typed-three/", L"http://typed-25/"};
    OpenBrowser();
    EXPECT_EQ(Items(LinkBrowser::kTypedAddressList), all);  // url0 and url25 listed, url26 not
    ClickRow(LinkBrowser::kTypedAddressList, 2);
    Click(LinkBrowser::kCancelButton);

    // Each opening reads the registry again: the selected address stays
    // selected while it is there, wherever it now stands; gone, nothing is.
    const struct {
        const wchar_t* removed;
        Texts items;
        int selected;
    } openings[] = {
        {nullptr, all, 2},
        {L"url1", {L"http://typed-zero/", L"http://typed-three/", L"http://typed-25/"}, 1},
        {L"url3", {L"http://typed-zero/", L"http://typed-25/"}, -1},
    };
    for (const auto& o : openings) {
        SCOPED_TRACE(o.selected);
        if (o.removed) test::DeleteValue(HKEY_CURRENT_USER, kTypedUrls, o.removed);
        OpenBrowser();
        EXPECT_EQ(Items(LinkBrowser::kTypedAddressList), o.items);
        EXPECT_EQ(::SendMessageW(C(LinkBrowser::kTypedAddressList), LB_GETCURSEL, 0, 0), o.selected);
        EXPECT_TRUE(Checked(LinkBrowser::kTypedAddressRadio));
        EXPECT_EQ(TheLinkBrowser()->StatusText(), L"http://typed-three/");
        Click(LinkBrowser::kCancelButton);
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(LinkBrowserTest, ShortcutsReadPieceByPiece) {
    // Other entries and a megabyte-long line fill each file to 10 MB.
    std::string filler = "[Other]\r\nName=" + std::string(1024 * 1024, 'x') + "\r\n";
    while (filler.size() < 10 * 1000 * 1000) filler += "; " + std::string(998, 'y') + "\r\n";
    // The file is read in pieces of 64 KiB: "ソ" (0x83 0x5C) as the last
    // character of the first piece, and cut by its end.
    const auto split = [](std::size_t at) {
        const std::string entry = "\r\n[InternetShortcut]\r\nURL=http://";
        std::string text = "[Other]\r\nName=";
        text += std::string(at - text.size() - entry.size(), 'x') + entry + "\x83\x5C/\r\n";
        return text;
    };
    const struct {
        const wchar_t* name;
        std::string text;
        const wchar_t* url;
    } files[] = {
        {L"big-first.url", "[InternetShortcut]\r\nURL=http://first.example/\r\n" + filler, L"http://first.example/"},
        {L"big-last.url", filler + "[InternetShortcut]\r\nIconIndex=0\r\nURL=http://last.example/\r\n",
         L"http://last.example/"},
        {L"split-before.url", split(65534), L"http://ソ/"},
        {L"split-across.url", split(65535), L"http://ソ/"},
    };
    for (const auto& f : files)
        test::WriteFileBytes(favorites_.File(f.name), std::vector<unsigned char>(f.text.begin(), f.text.end()));
    for (const auto& f : files) {
        SCOPED_TRACE(test::Utf8(f.name));
        TheMainWindow()->SetText(MainWindow::kNameField, L"");
        OpenBrowser();
        const auto row = ::SendMessageW(C(LinkBrowser::kFavoritesList), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(f.name));
        ASSERT_GE(row, 0);
        ClickRow(LinkBrowser::kFavoritesList, static_cast<int>(row));
        Click(LinkBrowser::kOkButton);
        EXPECT_EQ(TheMainWindow()->Text(MainWindow::kLinkTargetField), f.url);
        EXPECT_EQ(TheMainWindow()->Text(MainWindow::kNameField), NameWithoutExtension(f.name));
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(LinkBrowserTest, ChoosingAFavouriteFillsTheLinkAndAnEmptyName) {
    OpenBrowser();
    ClickRow(LinkBrowser::kFavoritesList, 2);
    EXPECT_EQ(TheLinkBrowser()->StatusText(), L"News Site.url");
    Click(LinkBrowser::kOkButton);
    EXPECT_EQ(TheMainWindow()->Text(MainWindow::kLinkTargetField), L"http://news.example/");
    EXPECT_EQ(TheMainWindow()->Text(MainWindow::kNameField), L"News Site");
    EXPECT_FALSE(TheLinkBrowser()->IsShown());
    EXPECT_TRUE(TheMainWindow()->IsEnabled());

    // With a name already there only the link target changes; a file
    // without a URL entry empties it.
    TheMainWindow()->SetText(MainWindow::kNameField, L"kept");
    OpenBrowser();
    ClickRow(LinkBrowser::kFavoritesList, 0, true);  // a double-click presses OK
    EXPECT_EQ(TheMainWindow()->Text(MainWindow::kLinkTargetField), L"http://ab.example/");
    EXPECT_EQ(TheMainWindow()->Text(MainWindow::kNameField), L"kept");
    EXPECT_FALSE(TheLinkBrowser()->IsShown());
    OpenBrowser();
    ClickRow(LinkBrowser::kFavoritesList, 3);
    Click(LinkBrowser::kOkButton);
    EXPECT_EQ(TheMainWindow()->Text(MainWindow::kLinkTargetField), L"");
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(LinkBrowserTest, ChoosingATypedAddressSwitchesTheSource) {
    OpenBrowser();
    ClickRow(LinkBrowser::kTypedAddressList, 1);
    EXPECT_TRUE(Checked(LinkBrowser::kTypedAddressRadio));
    EXPECT_FALSE(Checked(LinkBrowser::kFavoritesRadio));
    EXPECT_EQ(TheLinkBrowser()->StatusText(), L"http://typed-three/");
    EXPECT_EQ(ListBackground(LinkBrowser::kTypedAddressList), RGB(225, 255, 217));
    EXPECT_EQ(ListBackground(LinkBrowser::kFavoritesList), ::GetSysColor(COLOR_WINDOW));
    TheMainWindow()->SetText(MainWindow::kNameField, L"");
    Click(LinkBrowser::kOkButton);
    EXPECT_EQ(TheMainWindow()->Text(MainWindow::kLinkTargetField), L"http://typed-three/");
    EXPECT_EQ(TheMainWindow()->Text(MainWindow::kNameField), L"");

    // Reopening keeps the selection, the source and the status text.
    OpenBrowser();
    EXPECT_TRUE(Checked(LinkBrowser::kTypedAddressRadio));
    EXPECT_EQ(::SendMessageW(C(LinkBrowser::kTypedAddressList), LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(TheLinkBrowser()->StatusText(), L"http://typed-three/");
    Click(LinkBrowser::kCancelButton);
}

TEST_F(LinkBrowserTest, OkWithNothingSelectedInTheActiveSource) {
    OpenBrowser();
    ClickRow(LinkBrowser::kFavoritesList, 0);
    Click(LinkBrowser::kTypedAddressRadio);  // the typed list has no selection
    Click(LinkBrowser::kOkButton);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].kind, BoxKind::Information);
    EXPECT_EQ(boxes_[0].text, L"選択されていません");
    EXPECT_EQ(TheMainWindow()->Text(MainWindow::kLinkTargetField), L"");
    EXPECT_FALSE(TheLinkBrowser()->IsShown());
    EXPECT_TRUE(TheMainWindow()->IsEnabled());
}

TEST_F(LinkBrowserTest, FavouritesFolderChangesAndFailures) {
    OpenBrowser();
    Click(LinkBrowser::kCancelButton);
    // A new shortcut in the same folder is not seen: the folder is unchanged.
    Shortcut(L"added.url", "http://added/");
    OpenBrowser();
    EXPECT_EQ(Items(LinkBrowser::kFavoritesList).size(), 4u);
    Click(LinkBrowser::kCancelButton);
    // A folder that does not exist: the list keeps its folder, read again.
    SetString(HKEY_CURRENT_USER, kShellFolders, L"Favorites", favorites_.File(L"nowhere"));
    OpenBrowser();
    EXPECT_EQ(TheLinkBrowser()->FavoritesFolder(), favorites_.Path());
    EXPECT_EQ(Items(LinkBrowser::kFavoritesList).size(), 5u);
    Click(LinkBrowser::kCancelButton);

    // A typed address of the wrong type: what came before it stays, the
    // failure is shown, and the browser is open with the main window disabled.
    test::SetDword(HKEY_CURRENT_USER, kTypedUrls, L"url3", 3);
    ::SendMessageW(C(LinkBrowser::kTypedAddressList), LB_RESETCONTENT, 0, 0);
    OpenBrowser();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"'url3' のデータ型が不正です.");
    EXPECT_EQ(Items(LinkBrowser::kTypedAddressList), (Texts{L"http://typed-one/"}));
    EXPECT_TRUE(TheLinkBrowser()->IsShown());
    EXPECT_FALSE(TheMainWindow()->IsEnabled());
    Click(LinkBrowser::kCancelButton);
}

}  // namespace
}  // namespace orbelune
