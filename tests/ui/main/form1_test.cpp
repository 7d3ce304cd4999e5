#include "ui/main/form1.h"

#include "app/application.h"
#include "support/gui.h"
#include "ui/iconpicker/form3.h"

#include <commctrl.h>

namespace orbelune {
namespace {

using test::Pump;

RECT ClientRectOf(HWND control) {
    RECT r;
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

LOGFONTW FontOf(HWND control) {
    LOGFONTW lf{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

class Form1Test : public test::AppTest {
protected:
    HWND C(int id) { return Form1->Control(id); }
    std::wstring T(int id) { return Form1->Text(id); }
};

TEST_F(Form1Test, StartStateMatchesTheLayout) {
    Start();
    struct Expect {
        int id;
        int x, y, w, h;
        const wchar_t* text;
        bool enabled, visible;
    };
    const Expect table[] = {
        {TForm1::ListBox1, 112, 40, 393, 313, L"", true, true},
        {TForm1::ListBox2, 24, 8, 57, 73, L"", true, false},
        {TForm1::Panel1, 16, 136, 81, 81, L"アイコン", true, true},
        {TForm1::Panel2, 16, 232, 81, 81, L"ホットアイコン", true, false},
        {TForm1::Edit1, 112, 376, 393, 20, L"", true, true},
        {TForm1::Edit2, 112, 400, 393, 20, L"", true, true},
        {TForm1::Button4, 512, 400, 41, 17, L"参照", true, true},
        {TForm1::Edit3, 112, 424, 393, 20, L"", true, true},
        {TForm1::Button5, 512, 424, 41, 17, L"参照", true, true},
        {TForm1::Edit4, 112, 448, 393, 20, L"アイコンと同じ", false, true},
        {TForm1::Button6, 512, 448, 41, 17, L"参照", false, true},
        {TForm1::Button1, 40, 504, 97, 25, L"作成", true, true},
        {TForm1::Button2, 184, 504, 97, 25, L"編集", true, true},
        {TForm1::Button3, 328, 504, 97, 25, L"削除", true, true},
        {TForm1::Button7, 504, 504, 49, 25, L"終了", true, true},
    };
    for (const auto& e : table) {
        SCOPED_TRACE(testing::Message() << "control " << e.id);
        HWND c = C(e.id);
        ASSERT_TRUE(c);
        const RECT r = ClientRectOf(c);
        EXPECT_EQ(r.left, e.x);
        EXPECT_EQ(r.top, e.y);
        EXPECT_EQ(r.right - r.left, e.w);
        EXPECT_EQ(r.bottom - r.top, e.h);
        EXPECT_EQ(T(e.id), e.text);
        EXPECT_EQ(::IsWindowEnabled(c) != FALSE, e.enabled);
        EXPECT_EQ((::GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE) != 0, e.visible);
    }

    // The check box: its place, and checked. It may be wider where the
    // stand-in font is wider.
    const RECT check = ClientRectOf(C(TForm1::CheckBox1));
    EXPECT_EQ(check.left, 112);
    EXPECT_EQ(check.top, 472);
    EXPECT_GE(check.right - check.left, 161);
    EXPECT_EQ(check.bottom - check.top, 17);
    EXPECT_EQ(T(TForm1::CheckBox1), L"ホットアイコンを指定しない");
    EXPECT_EQ(::SendMessageW(C(TForm1::CheckBox1), BM_GETCHECK, 0, 0), BST_CHECKED);

    // Labels keep the edge that faces their field.
    struct Label {
        int id;
        int x, y, w, h;
        const wchar_t* text;
        bool rightAligned;
    };
    const Label labels[] = {
        {TForm1::Label5, 112, 16, 59, 12, L"ボタン一覧", false},
        {TForm1::Label1, 62, 378, 42, 12, L"名前　：", true},
        {TForm1::Label2, 43, 404, 61, 12, L"リンク先　：", true},
        {TForm1::Label3, 43, 429, 61, 12, L"アイコン　：", true},
        {TForm1::Label4, 12, 452, 92, 12, L"ホットアイコン　：", true},
    };
    for (const auto& l : labels) {
        SCOPED_TRACE(testing::Message() << "label " << l.id);
        const RECT r = ClientRectOf(C(l.id));
        if (l.rightAligned) {
            EXPECT_EQ(r.right, l.x + l.w);
        } else {
            EXPECT_EQ(r.left, l.x);
        }
        EXPECT_EQ(r.top, l.y);
        EXPECT_GE(r.right - r.left, l.w);
        EXPECT_EQ(r.bottom - r.top, l.h);
        EXPECT_EQ(T(l.id), l.text);
        EXPECT_NE(FontOf(C(l.id)).lfWeight, FW_NORMAL);  // bold
    }

    // The images inside the panels, hidden with no picture.
    for (auto preview : {TForm1::Preview::Icon, TForm1::Preview::HotIcon}) {
        ImageBox& image = Form1->PreviewImage(preview);
        const RECT r = ClientRectOf(image.Handle());
        EXPECT_EQ(r.left, 20);
        EXPECT_EQ(r.top, 21);
        EXPECT_EQ(r.right - r.left, 36);
        EXPECT_EQ(r.bottom - r.top, 36);
        EXPECT_FALSE(image.IsVisible());
        EXPECT_TRUE(image.Picture().Empty());
    }
}

TEST_F(Form1Test, WindowFrameFontAndFocus) {
    Start();
    HWND form = Form1->Handle();
    EXPECT_EQ(Form1->Caption(), L"Orbelune  Ver 1.0");
    RECT client;
    ::GetClientRect(form, &client);
    EXPECT_EQ(client.right, 571);
    EXPECT_EQ(client.bottom, 544);
    const LONG style = ::GetWindowLongW(form, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_TRUE(::IsWindowVisible(form));
    EXPECT_EQ(::GetWindow(form, GW_OWNER), ApplicationWindow());

    const LOGFONTW font = FontOf(C(TForm1::Edit1));
    EXPECT_STREQ(font.lfFaceName, L"ＭＳ Ｐゴシック");
    EXPECT_EQ(font.lfHeight, -12);
    EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(font.lfWeight, FW_NORMAL);

    EXPECT_EQ(::GetFocus(), C(TForm1::Button1));

    // The background colour, as painted.
    ::UpdateWindow(form);
    HDC dc = ::GetDC(form);
    EXPECT_EQ(::GetPixel(dc, 300, 8), RGB(191, 255, 113));
    ::ReleaseDC(form, dc);
}

TEST_F(Form1Test, TabOrderAndNoDefaultButton) {
    Start();
    std::vector<int> order;
    for (HWND c = ::GetWindow(Form1->Handle(), GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
        if (::GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP) order.push_back(::GetDlgCtrlID(c));
    EXPECT_EQ(order, (std::vector<int>{TForm1::Button1, TForm1::ListBox1, TForm1::Button2, TForm1::Button3,
                                       TForm1::Edit1, TForm1::Edit2, TForm1::Edit3, TForm1::Edit4, TForm1::Button4,
                                       TForm1::Button5, TForm1::Button6, TForm1::Button7, TForm1::ListBox2,
                                       TForm1::CheckBox1}));

    // Tab moves on from the first button to the list.
    test::PressKey(C(TForm1::Button1), VK_TAB);
    EXPECT_EQ(::GetFocus(), C(TForm1::ListBox1));

    // Enter in a field presses nothing; Enter on a focused button presses it.
    ::SetFocus(C(TForm1::Edit1));
    test::PressKey(C(TForm1::Edit1), VK_RETURN);
    EXPECT_FALSE(Form3->IsShown());
    ::SetFocus(C(TForm1::Button5));
    test::PressKey(C(TForm1::Button5), VK_RETURN);
    EXPECT_TRUE(Form3->IsShown());
    Form3->Button2Click();
    // Esc presses nothing.
    ::SetFocus(C(TForm1::Edit1));
    test::PressKey(C(TForm1::Edit1), VK_ESCAPE);
    EXPECT_TRUE(Form1->IsShown());
    MSG msg;
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

BOOL CALLBACK FindFormTooltip(HWND h, LPARAM p) {
    wchar_t cls[64] = {};
    ::GetClassNameW(h, cls, 64);
    if (lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0 && ::GetWindow(h, GW_OWNER) == Form1->Handle())
        *reinterpret_cast<HWND*>(p) = h;
    return TRUE;
}

TEST_F(Form1Test, TooltipsOnTheIconLabels) {
    Start();
    HWND tooltip = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindFormTooltip, reinterpret_cast<LPARAM>(&tooltip));
    ASSERT_TRUE(tooltip);
    EXPECT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 2);
    for (auto [label, text] : {std::pair{TForm1::Label3, L"通常表示されるアイコン"},
                               std::pair{TForm1::Label4, L"カーソルを重ねたときのアイコン"}}) {
        wchar_t buffer[80] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = Form1->Handle();
        tool.uId = reinterpret_cast<UINT_PTR>(C(label));
        tool.lpszText = buffer;
        ::SendMessageW(tooltip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
        EXPECT_STREQ(buffer, text);
    }
}

class PreviewTest : public Form1Test {
protected:
    test::TempFolder folder_;
    std::wstring red_ = folder_.File(L"赤.ico");
    std::wstring blue_ = folder_.File(L"blue.ico");

    void SetUp() override {
        test::WriteFileBytes(red_, test::IconFileBytes(32, RGB(255, 0, 0)));
        test::WriteFileBytes(blue_, test::IconFileBytes(16, RGB(0, 0, 255)));
        Start();
        ::SetFocus(C(TForm1::Edit3));
    }
    bool Showing() { return Form1->PreviewImage(TForm1::Preview::Icon).IsVisible(); }
    std::wstring PanelCaption() { return Form1->PreviewPanel(TForm1::Preview::Icon).Caption(); }
    const std::vector<std::uint8_t>* Picture() {
        return Form1->PreviewImage(TForm1::Preview::Icon).Picture().FileBytes();
    }
};

TEST_F(PreviewTest, TypingShowsNothingUntilEnter) {
    test::Type(C(TForm1::Edit3), red_);
    EXPECT_FALSE(Showing());
    EXPECT_EQ(PanelCaption(), L"アイコン");
    test::PressKey(C(TForm1::Edit3), VK_RETURN);
    EXPECT_TRUE(Showing());
    EXPECT_EQ(PanelCaption(), L"");
    ASSERT_TRUE(Picture());
    EXPECT_EQ(*Picture(), test::ReadFileBytes(red_));
    EXPECT_TRUE(boxes_.empty());

    // One character less names no file: the preview empties at once, and
    // keeps its picture.
    ::SendMessageW(C(TForm1::Edit3), WM_CHAR, VK_BACK, 1);
    Pump();
    EXPECT_FALSE(Showing());
    EXPECT_EQ(PanelCaption(), L"アイコン");
    EXPECT_TRUE(Picture());
}

TEST_F(PreviewTest, AnotherExistingFileKeepsTheOldIconUntilEnter) {
    Form1->SetText(TForm1::Edit3, red_);
    test::PressKey(C(TForm1::Edit3), VK_RETURN);
    ASSERT_TRUE(Showing());
    Form1->SetText(TForm1::Edit3, blue_);
    EXPECT_TRUE(Showing());
    EXPECT_EQ(*Picture(), test::ReadFileBytes(red_));
    test::PressKey(C(TForm1::Edit3), VK_RETURN, false, true);  // Ctrl+Enter
    EXPECT_EQ(*Picture(), test::ReadFileBytes(blue_));
    // Setting the same text again is no change.
    Form1->SetText(TForm1::Edit3, blue_);
    ::SetWindowTextW(C(TForm1::Edit3), blue_.c_str());
    Pump();
    EXPECT_TRUE(Showing());
}

TEST_F(PreviewTest, EnterOnAFolderOrMissingFileChangesNothing) {
    Form1->SetText(TForm1::Edit3, red_);
    test::PressKey(C(TForm1::Edit3), VK_RETURN, true);  // Shift+Enter
    ASSERT_TRUE(Showing());
    for (const std::wstring& path : {folder_.Path(), folder_.File(L"missing.ico"), std::wstring()}) {
        ::SendMessageW(C(TForm1::Edit3), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        Pump();
        EXPECT_FALSE(Showing());  // the change rule emptied it
        test::PressKey(C(TForm1::Edit3), VK_RETURN, false, false, true);  // Alt+Enter
        EXPECT_FALSE(Showing());
        EXPECT_EQ(PanelCaption(), L"アイコン");
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(PreviewTest, FilesThatAreNoIconsFailAndLeaveThePreview) {
    Form1->SetText(TForm1::Edit3, red_);
    test::PressKey(C(TForm1::Edit3), VK_RETURN);
    ASSERT_TRUE(Showing());
    const auto shown = *Picture();

    auto icon = test::IconFileBytes(32, RGB(0, 255, 0));
    auto wrongType = icon;
    wrongType[2] = 2;  // a cursor file
    auto countTooHigh = icon;
    countTooHigh[4] = 9;  // nine directory entries do not fit
    auto offsetPastEnd = icon;
    offsetPastEnd[18] = 0xF0;
    auto sizePastEnd = icon;
    sizePastEnd[15] = 0x7F;
    auto noImages = icon;
    noImages[4] = 0;
    auto badImage = icon;
    badImage[22] = 7;  // no bitmap header where the image should start
    const struct {
        const char* what;
        std::vector<unsigned char> bytes;
        std::wstring message;
    } cases[] = {
        {"empty", {}, L"ストリームからの読み込みエラー"},
        {"three bytes", {0, 0, 1}, L"ストリームからの読み込みエラー"},
        {"text", {'h', 'e', 'l', 'l', 'o', '\n', 'x'}, L"アイコンイメージが不正です."},
        {"cursor", wrongType, L"アイコンイメージが不正です."},
        {"count too high", countTooHigh, L"アイコンイメージが不正です."},
        {"offset past end", offsetPastEnd, L"アイコンイメージが不正です."},
        {"size past end", sizePastEnd, L"アイコンイメージが不正です."},
        {"no images", noImages, L"アイコンイメージが不正です."},
        {"header only", {0, 0, 1, 0, 1, 0}, L"アイコンイメージが不正です."},
        {"bad image", badImage, L"アイコンイメージが不正です."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring path = folder_.File(L"bad.ico");
        test::WriteFileBytes(path, c.bytes);
        Form1->SetText(TForm1::Edit3, path);
        Form1->ShowIconInPreview(TForm1::Preview::Icon, red_);  // showing before Enter
        boxes_.clear();
        test::PressKey(C(TForm1::Edit3), VK_RETURN);
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].kind, BoxKind::Failure);
        EXPECT_EQ(boxes_[0].text, c.message == L"ストリームからの読み込みエラー" ? c.message + L"." : c.message);
        EXPECT_TRUE(Showing());
        EXPECT_EQ(PanelCaption(), L"");
        EXPECT_EQ(*Picture(), shown);
    }

    // A file that cannot be opened.
    const std::wstring locked = folder_.File(L"locked.ico");
    test::WriteFileBytes(locked, icon);
    HANDLE hold = ::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hold, INVALID_HANDLE_VALUE);
    Form1->SetText(TForm1::Edit3, locked);
    Form1->ShowIconInPreview(TForm1::Preview::Icon, red_);
    boxes_.clear();
    test::PressKey(C(TForm1::Edit3), VK_RETURN);
    ::CloseHandle(hold);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"ファイル " + locked + L" は開けません.");
    EXPECT_EQ(*Picture(), shown);
}

TEST_F(PreviewTest, HotIconFieldFollowsTheSameRules) {
    ::SendMessageW(C(TForm1::CheckBox1), BM_CLICK, 0, 0);
    Pump();
    ::SetFocus(C(TForm1::Edit4));
    test::Type(C(TForm1::Edit4), blue_);
    ImageBox& image = Form1->PreviewImage(TForm1::Preview::HotIcon);
    EXPECT_FALSE(image.IsVisible());
    test::PressKey(C(TForm1::Edit4), VK_RETURN);
    EXPECT_TRUE(image.IsVisible());
    EXPECT_EQ(Form1->PreviewPanel(TForm1::Preview::HotIcon).Caption(), L"");
    EXPECT_FALSE(Showing());  // the icon preview is not touched
    ::SendMessageW(C(TForm1::Edit4), WM_CHAR, VK_BACK, 1);
    Pump();
    EXPECT_FALSE(image.IsVisible());
    EXPECT_EQ(Form1->PreviewPanel(TForm1::Preview::HotIcon).Caption(), L"ホットアイコン");
}

TEST_F(Form1Test, CheckBoxSwitchesTheHotIconFieldBothWays) {
    Start();
    Panel& panel2 = Form1->PreviewPanel(TForm1::Preview::HotIcon);
    ::SendMessageW(C(TForm1::CheckBox1), BM_CLICK, 0, 0);
    Pump();
    EXPECT_FALSE(Form1->HotIconSameAsIcon());
    EXPECT_TRUE(::IsWindowEnabled(C(TForm1::Edit4)));
    EXPECT_EQ(T(TForm1::Edit4), L"");
    EXPECT_TRUE(::IsWindowEnabled(C(TForm1::Button6)));
    EXPECT_TRUE(::IsWindowVisible(panel2.Handle()));
    EXPECT_EQ(panel2.Caption(), L"ホットアイコン");

    Form1->SetText(TForm1::Edit4, L"C:\\typed.ico");
    ::SendMessageW(C(TForm1::CheckBox1), BM_CLICK, 0, 0);
    Pump();
    EXPECT_TRUE(Form1->HotIconSameAsIcon());
    EXPECT_FALSE(::IsWindowEnabled(C(TForm1::Edit4)));
    EXPECT_EQ(T(TForm1::Edit4), L"アイコンと同じ");  // the typed path is gone
    EXPECT_FALSE(::IsWindowEnabled(C(TForm1::Button6)));
    EXPECT_FALSE(::IsWindowVisible(panel2.Handle()));
    EXPECT_FALSE(Form1->PreviewImage(TForm1::Preview::HotIcon).IsVisible());
}

TEST_F(Form1Test, BrowseButtonsOpenThePickerInItsMode) {
    test::SetString(HKEY_CURRENT_USER, L"\\Software\\Tollivern", L"AppPath", L"C:\\Tools\\Buttons\\");
    Start();
    for (auto [button, caption] :
         {std::pair{TForm1::Button5, L"アイコン参照"}, std::pair{TForm1::Button6, L"ホットアイコン参照"}}) {
        SCOPED_TRACE(testing::Message() << "button " << button);
        // Whatever the picker held before is emptied.
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.pszText = const_cast<wchar_t*>(L"0");
        ::SendMessageW(Form3->Control(TForm3::IconView), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        IconImage picture;
        picture.SetHandle(::CopyIcon(::LoadIconW(nullptr, IDI_APPLICATION)));
        Form3->Image1().SetPicture(picture);
        Form3->SetCaption(L"something else");

        if (button == TForm1::Button6) {
            ::SendMessageW(C(TForm1::CheckBox1), BM_CLICK, 0, 0);
            Pump();
        }
        ::SendMessageW(C(button), BM_CLICK, 0, 0);
        Pump();
        EXPECT_EQ(Form3->Caption(), caption);
        EXPECT_TRUE(Form3->IsShown());
        EXPECT_FALSE(Form1->IsEnabled());
        EXPECT_EQ(Form3->IconViewCount(), 0);
        EXPECT_TRUE(Form3->Image1().Picture().Empty());
        EXPECT_EQ(Form3->OpenDialog1.initialFolder, L"C:\\Tools\\Buttons\\icon");
        EXPECT_EQ(Form3->SaveDialog1.initialFolder, L"C:\\Tools\\Buttons\\icon");

        ::SendMessageW(Form3->Control(TForm3::Button2), BM_CLICK, 0, 0);  // back
        Pump();
        EXPECT_TRUE(Form1->IsEnabled());
        EXPECT_FALSE(Form3->IsShown());
    }
}

TEST_F(Form1Test, EndButtonClosesTheProgramWithoutAQuestion) {
    Start();
    Form1->SetText(TForm1::Edit1, L"unsaved name");
    ::SendMessageW(C(TForm1::Button7), BM_CLICK, 0, 0);
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_FALSE(Form1->IsShown());
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(Form1Test, TaskBarCloseWorksWhileASubWindowIsOpen) {
    Start();
    Form1->Button5Click();
    ASSERT_FALSE(Form1->IsEnabled());
    ::SendMessageW(ApplicationWindow(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump();
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(Form1Test, MinimisingHidesTheProgramIntoItsTaskBarEntry) {
    Start();
    Form1->Button5Click();
    ::SendMessageW(Form1->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Pump();
    EXPECT_TRUE(::IsIconic(ApplicationWindow()));
    EXPECT_FALSE(Form1->IsShown());
    EXPECT_FALSE(Form3->IsShown());
    ::SendMessageW(ApplicationWindow(), WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    EXPECT_FALSE(::IsIconic(ApplicationWindow()));
    EXPECT_TRUE(Form1->IsShown());
    EXPECT_TRUE(Form3->IsShown());
    EXPECT_FALSE(Form1->IsEnabled());  // still behind the open picker
}

TEST_F(Form1Test, LoadFailureIsShownAndStartUpGoesOn) {
    test::SetString(HKEY_CURRENT_USER, L"\\Software\\Tollivern", L"ButtonDat", L"1");
    test::SetString(HKEY_CURRENT_USER, L"\\Software\\Tollivern", L"ButtonNum0", L"first");
    test::SetDword(HKEY_CURRENT_USER, L"\\Software\\Tollivern", L"ButtonNum1", 1);
    Start();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].kind, BoxKind::Failure);
    EXPECT_EQ(boxes_[0].text, L"'ButtonNum1' のデータ型が不正です.");
    EXPECT_TRUE(Form1->IsShown());
    EXPECT_EQ(::SendMessageW(C(TForm1::ListBox1), LB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(::SendMessageW(C(TForm1::ListBox2), LB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(Form1->IconFolder(), L"");  // the load ended before AppPath
}

// Whether the first row of a list box shows anything but its background, as
// painted on the screen.
bool FirstRowPainted(HWND list) {
    Pump();
    const int rowHeight = static_cast<int>(::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    RECT client;
    ::GetClientRect(list, &client);
    HDC dc = ::GetDC(list);
    const COLORREF background = ::GetPixel(dc, client.right - 1, client.bottom - 1);
    int painted = 0;
    for (int y = 0; y < rowHeight; ++y)
        for (int x = 0; x < client.right; ++x)
            if (::GetPixel(dc, x, y) != background) ++painted;
    ::ReleaseDC(list, dc);
    return painted > 0;
}

// The lists are filled without redrawing at each append: they are painted
// again once the load ends, also when a failure ends it, and also when the
// edit reloads them in the shown window; the number list stays hidden.
TEST_F(Form1Test, ListsArePaintedAfterEveryLoad) {
    struct Case {
        const char* what;
        bool secondOfWrongType;
        bool reloadWhileShown;
    } const cases[] = {
        {"start-up", false, false},
        {"start-up ended by a failure", true, false},
        {"reload in the shown window", false, true},
    };
    const std::wstring catalogue = L"\\Software\\Tollivern";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::DeleteKeyTree(HKEY_CURRENT_USER, catalogue);
        if (!c.reloadWhileShown) {
            test::SetString(HKEY_CURRENT_USER, catalogue, L"ButtonDat", L"1");
            test::SetString(HKEY_CURRENT_USER, catalogue, L"ButtonNum0", L"最初のボタン");
            if (c.secondOfWrongType)
                test::SetDword(HKEY_CURRENT_USER, catalogue, L"ButtonNum1", 1);
            else
                test::SetString(HKEY_CURRENT_USER, catalogue, L"ButtonNum1", L"次のボタン");
        }
        Start();
        if (c.reloadWhileShown) {
            ASSERT_FALSE(FirstRowPainted(C(TForm1::ListBox1)));
            test::SetString(HKEY_CURRENT_USER, catalogue, L"ButtonDat", L"0");
            test::SetString(HKEY_CURRENT_USER, catalogue, L"ButtonNum0", L"最初のボタン");
            Form1->ClearButtonLists();
            Form1->FormCreate();
        }
        const std::vector<std::wstring> names = test::ListItems(C(TForm1::ListBox1));
        ASSERT_FALSE(names.empty());
        EXPECT_EQ(names.front(), L"最初のボタン");
        EXPECT_TRUE(FirstRowPainted(C(TForm1::ListBox1)));
        EXPECT_FALSE(::IsWindowVisible(C(TForm1::ListBox2)));
        DestroyWindowSet();
    }
}

}  // namespace
}  // namespace orbelune
