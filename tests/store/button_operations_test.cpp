// Creating, selecting, editing and deleting buttons through the real main
// window and the Wine registry, with the boxes answered by the test.
#include "app/application.h"
#include "store/button_entry.h"
#include "support/gui.h"
#include "ui/main/main_window.h"

#include <cstring>

namespace orbelune {
namespace {

using test::DumpRegistry;
using test::SetDword;
using test::SetString;
using test::UserDword;
using test::UserString;
using Texts = std::vector<std::wstring>;

const std::wstring kCatalogue = L"\\Software\\Tollivern";
const std::wstring kCmdMapping = L"\\Software\\Microsoft\\Internet Explorer\\Extensions\\CmdMapping";
const std::wstring kExtensions = L"\\Software\\Microsoft\\Internet Explorer\\Extensions";
const std::wstring kClsid = L"{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}";

std::wstring Id(int n) {
    std::wstring padded = std::to_wstring(n);
    padded.insert(0, 8 - padded.size(), L'0');
    return L"{" + padded + L"-0000-0000-0000-000000000000}";
}
std::wstring ExtKey(int n) { return kExtensions + L"\\" + Id(n); }

class ButtonTest : public test::AppTest {
protected:
    test::TempFolder folder_;
    std::wstring icon_ = folder_.File(L"note.ico");
    std::wstring hotIcon_ = folder_.File(L"hot.ico");

    void SetUp() override {
        test::WriteFileBytes(icon_, test::IconFileBytes(32, RGB(255, 0, 0)));
        test::WriteFileBytes(hotIcon_, test::IconFileBytes(32, RGB(0, 0, 255)));
        SetString(HKEY_CURRENT_USER, kCatalogue, L"AppPath", L"D:\\Tools\\Buttons\\");
    }

    HWND C(int id) { return mainWindow->Control(id); }
    std::wstring T(int id) { return mainWindow->Text(id); }
    void Fill(const std::wstring& name, const std::wstring& link, const std::wstring& icon) {
        mainWindow->SetText(MainWindow::kNameField, name);
        mainWindow->SetText(MainWindow::kLinkTargetField, link);
        mainWindow->SetText(MainWindow::kIconPathField, icon);
    }
    void Click(int id) {
        ::SendMessageW(C(id), BM_CLICK, 0, 0);
        test::Pump();
    }
    void UntickHotIcon() { Click(MainWindow::kSameAsIconCheck); }
    // A mouse click on a row of the name list.
    void SelectRow(int row) {
        RECT r{};
        ::SendMessageW(C(MainWindow::kButtonNameList), LB_GETITEMRECT, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(&r));
        const LPARAM at = MAKELPARAM(r.left + 5, r.top + 3);
        ::SendMessageW(C(MainWindow::kButtonNameList), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(C(MainWindow::kButtonNameList), WM_LBUTTONUP, 0, at);
        test::Pump();
    }
    Texts Items(int list) { return test::ListItems(C(list)); }
    Texts Names() { return Items(MainWindow::kButtonNameList); }
    Texts Numbers() { return Items(MainWindow::kButtonNumberList); }
    std::vector<BoxKind> Kinds() {
        std::vector<BoxKind> kinds;
        for (const auto& b : boxes_) kinds.push_back(b.kind);
        return kinds;
    }
    // A button written as create writes it.
    void StoredButton(int n, const std::wstring& name, const std::wstring& icon, const std::wstring& hotIcon) {
        SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonNum" + std::to_wstring(n), name);
        SetString(HKEY_CURRENT_USER, ExtKey(n), L"ButtonText", name);
        SetString(HKEY_CURRENT_USER, ExtKey(n), L"CLSID", kClsid);
        SetString(HKEY_CURRENT_USER, ExtKey(n), L"Exec", L"C:\\" + name + L".exe");
        SetString(HKEY_CURRENT_USER, ExtKey(n), L"Icon", icon);
        SetString(HKEY_CURRENT_USER, ExtKey(n), L"HotIcon", hotIcon);
    }
    void ExpectExtension(int n, const std::wstring& name, const std::wstring& exec, const std::wstring& icon,
                         const std::wstring& hotIcon) {
        SCOPED_TRACE(testing::Message() << "extension key of button " << n);
        EXPECT_EQ(UserString(ExtKey(n), L"ButtonText"), name);
        EXPECT_EQ(UserString(ExtKey(n), L"CLSID"), kClsid);
        EXPECT_EQ(UserString(ExtKey(n), L"Exec"), exec);
        EXPECT_EQ(UserString(ExtKey(n), L"Icon"), icon);
        EXPECT_EQ(UserString(ExtKey(n), L"HotIcon"), hotIcon);
        EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, ExtKey(n)).size(), 5u);
    }
    void ExpectFieldsCleared() {
        EXPECT_EQ(T(MainWindow::kNameField), L"");
        EXPECT_EQ(T(MainWindow::kLinkTargetField), L"");
        EXPECT_EQ(T(MainWindow::kIconPathField), L"");
        EXPECT_EQ(T(MainWindow::kHotIconPathField), mainWindow->HotIconSameAsIcon() ? kSameAsIcon : L"");
    }
};

TEST_F(ButtonTest, WorkedExampleCreateTwoAndDeleteBoth) {
    SetDword(HKEY_CURRENT_USER, kCmdMapping, L"NextId", 20);
    SetDword(HKEY_CURRENT_USER, kCmdMapping, L"{AAAAAAAA-0000-0000-0000-000000000000}", 7);
    SetDword(HKEY_CURRENT_USER, kCmdMapping, L"{BBBBBBBB-0000-0000-0000-000000000000}", 8);
    Start();
    EXPECT_EQ(UserDword(kCatalogue, L"NextIdDef"), 20u);
    EXPECT_EQ(UserDword(kCatalogue, L"CmdCount"), 3u);

    Fill(L"Notepad", L"D:\\Apps\\notepad.exe", icon_);
    Click(MainWindow::kCreateButton);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(UserString(kCatalogue, L"ButtonDat"), L"0");
    EXPECT_EQ(UserString(kCatalogue, L"ButtonNum0"), L"Notepad");
    EXPECT_EQ(UserDword(kCmdMapping, Id(0)), 20u);
    EXPECT_EQ(UserDword(kCmdMapping, L"NextId"), 21u);
    ExpectExtension(0, L"Notepad", L"D:\\Apps\\notepad.exe", icon_, icon_);
    EXPECT_EQ(Names(), (Texts{L"Notepad"}));
    EXPECT_EQ(Numbers(), (Texts{L"0"}));
    ExpectFieldsCleared();

    Fill(L"電卓", L"calc.exe", icon_);
    Click(MainWindow::kCreateButton);
    EXPECT_EQ(UserString(kCatalogue, L"ButtonDat"), L"1");
    EXPECT_EQ(UserString(kCatalogue, L"ButtonNum1"), L"電卓");
    EXPECT_EQ(UserDword(kCmdMapping, Id(1)), 21u);
    EXPECT_EQ(UserDword(kCmdMapping, L"NextId"), 22u);
    EXPECT_EQ(Names(), (Texts{L"Notepad", L"電卓"}));
    EXPECT_EQ(Numbers(), (Texts{L"0", L"1"}));

    SelectRow(0);
    EXPECT_EQ(mainWindow->CurrentButtonNumber(), L"00000000");
    Click(MainWindow::kDeleteButton);
    EXPECT_TRUE(boxes_.empty());  // no question before deleting
    EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, ExtKey(0)));
    EXPECT_FALSE(UserDword(kCmdMapping, Id(0)).has_value());
    EXPECT_FALSE(UserString(kCatalogue, L"ButtonNum0").has_value());
    EXPECT_EQ(UserString(kCatalogue, L"ButtonDat"), L"1");
    EXPECT_EQ(UserDword(kCmdMapping, L"NextId"), 22u);
    EXPECT_EQ(Names(), (Texts{L"電卓"}));
    EXPECT_EQ(Numbers(), (Texts{L"1"}));

    SelectRow(0);
    Click(MainWindow::kDeleteButton);
    EXPECT_FALSE(UserString(kCatalogue, L"ButtonDat").has_value());
    EXPECT_EQ(UserDword(kCmdMapping, L"NextId"), 20u);
    EXPECT_TRUE(Names().empty());
    EXPECT_TRUE(Numbers().empty());
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kCmdMapping).size(), 3u);
    EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, kExtensions));

    // The next button is number 0 again, with the first command number.
    Fill(L"Again", L"x.exe", icon_);
    Click(MainWindow::kCreateButton);
    EXPECT_EQ(UserString(kCatalogue, L"ButtonDat"), L"0");
    EXPECT_EQ(UserDword(kCmdMapping, Id(0)), 20u);
}

TEST_F(ButtonTest, NextNumberFollowsButtonDat) {
    for (auto [buttonDat, number] : {std::pair{L"9", 10}, std::pair{L"007", 8}, std::pair{L"", 0}}) {
        SCOPED_TRACE(test::Utf8(buttonDat));
        test::ScratchRegistry inner;
        SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", buttonDat);
        Start();
        Fill(L"n", L"x", icon_);
        Click(MainWindow::kCreateButton);
        EXPECT_EQ(UserString(kCatalogue, L"ButtonDat"), std::to_wstring(number));
        EXPECT_EQ(UserString(kCatalogue, L"ButtonNum" + std::to_wstring(number)), L"n");
        EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, ExtKey(number)));
        EXPECT_EQ(Numbers().back(), std::to_wstring(number));
        DestroyWindowSet();
    }
}

// A catalogue edited outside the program: ButtonDat emptied or lowered while
// buttons remain. No button is overwritten; the new one goes above them all.
TEST_F(ButtonTest, CreateNeverOverwritesAButton) {
    for (const wchar_t* buttonDat : {L"", L"-1"}) {
        SCOPED_TRACE(test::Utf8(buttonDat));
        test::ScratchRegistry inner;
        SetString(HKEY_CURRENT_USER, kCatalogue, L"AppPath", L"D:\\Tools\\Buttons\\");
        SetDword(HKEY_CURRENT_USER, kCmdMapping, L"NextId", 30);
        SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", buttonDat);
        StoredButton(0, L"zero", icon_, icon_);
        StoredButton(3, L"three", icon_, hotIcon_);
        SetDword(HKEY_CURRENT_USER, kCmdMapping, Id(0), 20);
        SetDword(HKEY_CURRENT_USER, kCmdMapping, Id(3), 23);
        Start();
        Fill(L"new", L"new.exe", icon_);
        Click(MainWindow::kCreateButton);
        EXPECT_TRUE(boxes_.empty());
        EXPECT_EQ(UserString(kCatalogue, L"ButtonDat"), L"4");
        EXPECT_EQ(UserString(kCatalogue, L"ButtonNum4"), L"new");
        EXPECT_EQ(UserDword(kCmdMapping, Id(4)), 30u);
        ExpectExtension(4, L"new", L"new.exe", icon_, icon_);
        EXPECT_EQ(Numbers().back(), L"4");
        // The two buttons there before are as they were.
        EXPECT_EQ(UserString(kCatalogue, L"ButtonNum0"), L"zero");
        EXPECT_EQ(UserString(kCatalogue, L"ButtonNum3"), L"three");
        ExpectExtension(0, L"zero", L"C:\\zero.exe", icon_, icon_);
        ExpectExtension(3, L"three", L"C:\\three.exe", icon_, hotIcon_);
        EXPECT_EQ(UserDword(kCmdMapping, Id(0)), 20u);
        EXPECT_EQ(UserDword(kCmdMapping, Id(3)), 23u);
        DestroyWindowSet();
    }
}

// Other programs read these values through either interface: each text is
// stored with its terminating zero, (characters + 1) x 2 bytes.
TEST_F(ButtonTest, WrittenTextsEndWithTheirTerminatingZero) {
    SetDword(HKEY_CURRENT_USER, kCmdMapping, L"NextId", 20);
    Start();
    UntickHotIcon();
    Fill(L"電卓ソ", L"C:\\表示\\calc.exe", icon_);
    mainWindow->SetText(MainWindow::kHotIconPathField, hotIcon_);
    Click(MainWindow::kCreateButton);
    ASSERT_TRUE(boxes_.empty());
    const struct {
        std::wstring key;
        const wchar_t* name;
        std::wstring text;
    } written[] = {
        {kCatalogue, L"ButtonDat", L"0"},         {kCatalogue, L"ButtonNum0", L"電卓ソ"},
        {ExtKey(0), L"ButtonText", L"電卓ソ"},    {ExtKey(0), L"CLSID", kClsid},
        {ExtKey(0), L"Exec", L"C:\\表示\\calc.exe"}, {ExtKey(0), L"Icon", icon_},
        {ExtKey(0), L"HotIcon", hotIcon_},
    };
    for (const auto& w : written) {
        SCOPED_TRACE(test::Utf8(w.name));
        const auto raw = test::GetRaw(HKEY_CURRENT_USER, w.key, w.name);
        ASSERT_TRUE(raw);
        EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
        std::wstring stored(raw->data.size() / sizeof(wchar_t), L'?');
        std::memcpy(stored.data(), raw->data.data(), stored.size() * sizeof(wchar_t));
        EXPECT_EQ(raw->data.size(), (w.text.size() + 1) * sizeof(wchar_t));
        EXPECT_EQ(stored, w.text + L'\0');
    }
}

TEST_F(ButtonTest, GapsAreNotFilledAgain) {
    Start();
    for (const wchar_t* name : {L"a", L"b", L"c", L"d"}) {
        Fill(name, L"x", icon_);
        Click(MainWindow::kCreateButton);
    }
    SelectRow(1);
    Click(MainWindow::kDeleteButton);
    Fill(L"e", L"x", icon_);
    Click(MainWindow::kCreateButton);
    EXPECT_EQ(Numbers(), (Texts{L"0", L"2", L"3", L"4"}));
    EXPECT_EQ(Names(), (Texts{L"a", L"c", L"d", L"e"}));
    // A new start lists the same.
    DestroyWindowSet();
    Start();
    EXPECT_EQ(Numbers(), (Texts{L"0", L"2", L"3", L"4"}));
}

TEST_F(ButtonTest, HotIconRuleAndTheCheckBox) {
    Start();
    // Ticked: no question about the hot icon, HotIcon is the icon path.
    Fill(L"ticked", L"x", icon_);
    Click(MainWindow::kCreateButton);
    ExpectExtension(0, L"ticked", L"x", icon_, icon_);
    EXPECT_EQ(T(MainWindow::kHotIconPathField), L"アイコンと同じ");

    // Unticked with an empty hot-icon field: it takes the icon path first.
    UntickHotIcon();
    Fill(L"empty hot", L"x", icon_);
    Click(MainWindow::kCreateButton);
    ExpectExtension(1, L"empty hot", L"x", icon_, icon_);
    EXPECT_EQ(T(MainWindow::kHotIconPathField), L"");

    // Unticked with a hot icon of its own.
    Fill(L"own hot", L"x", icon_);
    mainWindow->SetText(MainWindow::kHotIconPathField, hotIcon_);
    Click(MainWindow::kCreateButton);
    ExpectExtension(2, L"own hot", L"x", icon_, hotIcon_);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(ButtonTest, MissingIconFilesAreAskedAbout) {
    const std::wstring missing = folder_.File(L"missing.ico");
    const std::wstring iconQuestion = L"アイコンに存在しないファイルが選択されています。そのまま続けますか？";
    const std::wstring hotQuestion = L"ホットアイコンに存在しないファイルが選択されています。そのまま続けますか？";
    Start();
    UntickHotIcon();

    // Both questions about the same path; Yes and Cancel (the close box) go on.
    Fill(L"a", L"x", missing);
    Answer({BoxResult::Yes, BoxResult::Cancel});
    Click(MainWindow::kCreateButton);
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[0].text, iconQuestion);
    EXPECT_EQ(boxes_[1].text, hotQuestion);
    ExpectExtension(0, L"a", L"x", missing, missing);

    // No stops: nothing written, the fields keep their text, and the
    // hot-icon field keeps the path it was given.
    const auto before = DumpRegistry();
    const auto names = Names();
    for (auto answers : {std::vector<BoxResult>{BoxResult::No}, std::vector<BoxResult>{BoxResult::Yes, BoxResult::No}}) {
        boxes_.clear();
        mainWindow->SetText(MainWindow::kHotIconPathField, L"");
        Fill(L"b", L"x", missing);
        for (auto a : answers) Answer({a});
        Click(MainWindow::kCreateButton);
        EXPECT_EQ(boxes_.size(), answers.size());
        EXPECT_EQ(DumpRegistry(), before);
        EXPECT_EQ(Names(), names);
        EXPECT_EQ(T(MainWindow::kNameField), L"b");
        EXPECT_EQ(T(MainWindow::kIconPathField), missing);
        EXPECT_EQ(T(MainWindow::kHotIconPathField), missing);
    }

    // A folder is no icon file.
    boxes_.clear();
    Fill(L"c", L"x", folder_.Path());
    mainWindow->SetText(MainWindow::kHotIconPathField, hotIcon_);
    Answer({BoxResult::No});
    Click(MainWindow::kCreateButton);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, iconQuestion);
}

TEST_F(ButtonTest, EmptyFieldsAndDuplicateNames) {
    Start();
    const auto before = DumpRegistry();
    for (int empty : {MainWindow::kNameField, MainWindow::kLinkTargetField, MainWindow::kIconPathField}) {
        boxes_.clear();
        Fill(L"n", L"x", icon_);
        mainWindow->SetText(empty, L"");
        Click(MainWindow::kCreateButton);
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].kind, BoxKind::Information);
        EXPECT_EQ(boxes_[0].text, L"空白の項目があります");
        EXPECT_EQ(DumpRegistry(), before);
    }
    boxes_.clear();
    Fill(L" ", L" ", icon_);  // blanks are text
    Click(MainWindow::kCreateButton);
    Fill(L"same", L"x", icon_);
    Click(MainWindow::kCreateButton);
    Fill(L"same", L"y", icon_);
    Click(MainWindow::kCreateButton);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(Names(), (Texts{L" ", L"same", L"same"}));
    EXPECT_EQ(Numbers(), (Texts{L"0", L"1", L"2"}));
}

TEST_F(ButtonTest, CreateFailures) {
    const auto fieldsKept = [&] {
        EXPECT_EQ(T(MainWindow::kNameField), L"new");
        EXPECT_EQ(T(MainWindow::kIconPathField), icon_);
    };
    {
        SCOPED_TRACE("ButtonDat abc");
        test::ScratchRegistry inner;
        SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"1");
        SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonNum0", L"old");
        SetDword(HKEY_CURRENT_USER, kCmdMapping, L"NextId", 5);
        Start();
        SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"abc");
        const auto before = DumpRegistry();
        Fill(L"new", L"x", icon_);
        Click(MainWindow::kCreateButton);
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].kind, BoxKind::Failure);
        EXPECT_EQ(boxes_[0].text, L"'abc' は整数ではありません.");
        EXPECT_EQ(DumpRegistry(), before);
        EXPECT_EQ(Names(), (Texts{L"old"}));
        fieldsKept();
        DestroyWindowSet();
    }
    const DWORD four = 1;
    const struct {
        const char* what;
        bool withNextId;
        DWORD type;
        const wchar_t* message;
        const wchar_t* text = nullptr;  // stored as REG_SZ instead of four bytes of the type
    } nextIds[] = {
        {"NextId missing", false, REG_DWORD, L"'NextId' の取得に失敗しました."},
        {"NextId text", true, REG_SZ, L"'NextId' のデータ型が不正です."},
        {"NextId binary", true, REG_BINARY, L"'NextId' のデータ型が不正です."},
        // Three bytes through the ANSI interface, five: as 8-bit programs see them.
        {"NextId text 20", true, REG_SZ, L"'NextId' のデータ型が不正です.", L"20"},
        {"NextId text 2000", true, REG_SZ, L"'NextId' の取得に失敗しました.", L"2000"},
    };
    for (const auto& c : nextIds) {
        SCOPED_TRACE(c.what);
        test::ScratchRegistry inner;
        SetDword(HKEY_CURRENT_USER, kCmdMapping, L"other", 1);
        SetDword(HKEY_CURRENT_USER, kCmdMapping, L"NextId", 5);
        SetString(HKEY_CURRENT_USER, kCatalogue, L"NextIdDef", L"");  // the load has run before
        Start();
        test::DeleteValue(HKEY_CURRENT_USER, kCmdMapping, L"NextId");
        if (c.text)
            SetString(HKEY_CURRENT_USER, kCmdMapping, L"NextId", c.text);
        else if (c.withNextId)
            test::SetRaw(HKEY_CURRENT_USER, kCmdMapping, L"NextId", c.type, &four, 4);
        boxes_.clear();
        Fill(L"new", L"x", icon_);
        Click(MainWindow::kCreateButton);
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].text, c.message);
        // Written before the failure, and shown in both lists.
        EXPECT_EQ(UserString(kCatalogue, L"ButtonDat"), L"0");
        EXPECT_EQ(UserString(kCatalogue, L"ButtonNum0"), L"new");
        EXPECT_EQ(Names(), (Texts{L"new"}));
        EXPECT_EQ(Numbers(), (Texts{L"0"}));
        // Not written after it.
        EXPECT_FALSE(UserDword(kCmdMapping, Id(0)).has_value());
        EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, ExtKey(0)));
        fieldsKept();
        DestroyWindowSet();
    }
}

TEST_F(ButtonTest, WithoutTheCommandMappingKeyTheButtonGetsNoCommandNumber) {
    Start();
    Fill(L"n", L"x", icon_);
    Click(MainWindow::kCreateButton);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, kCmdMapping));  // never created
    ExpectExtension(0, L"n", L"x", icon_, icon_);
    EXPECT_EQ(Names(), (Texts{L"n"}));
}

TEST_F(ButtonTest, CatalogueKeyGoneAtCreateWritesNothing) {
    SetDword(HKEY_CURRENT_USER, kCmdMapping, L"NextId", 5);
    Start();
    test::DeleteKeyTree(HKEY_CURRENT_USER, kCatalogue);
    const auto before = DumpRegistry();
    Fill(L"new", L"x", icon_);
    Click(MainWindow::kCreateButton);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].kind, BoxKind::Error);
    EXPECT_EQ(boxes_[0].text, L"ボタン一覧のレジストリキーを開けません。ボタンは作成されませんでした。");
    EXPECT_EQ(DumpRegistry(), before);  // in particular not the keys of button 0
    EXPECT_TRUE(Names().empty());
    EXPECT_TRUE(Numbers().empty());
    EXPECT_EQ(T(MainWindow::kNameField), L"new");
}

TEST_F(ButtonTest, HighestButtonNumberIsNotPassed) {
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"2147483647");
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonNum5", L"five");
    Start();
    const auto before = DumpRegistry();
    Fill(L"new", L"x", icon_);
    Click(MainWindow::kCreateButton);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].kind, BoxKind::Error);
    EXPECT_EQ(boxes_[0].text, L"ボタン番号が上限に達しました。ボタンは作成されませんでした。");
    EXPECT_EQ(DumpRegistry(), before);
    EXPECT_EQ(Names(), (Texts{L"five"}));
}

TEST_F(ButtonTest, SelectingShowsTheStoredValues) {
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"12");
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonNum3", L"three");
    StoredButton(12, L"twelve", icon_, hotIcon_);
    SetString(HKEY_CURRENT_USER, ExtKey(12), L"ButtonText", L"twelve's text");  // shown instead of the list's name
    Start();
    ASSERT_EQ(Numbers(), (Texts{L"3", L"12"}));
    EXPECT_EQ(mainWindow->CurrentButtonNumber(), L"");

    SelectRow(1);
    EXPECT_EQ(mainWindow->CurrentButtonNumber(), L"00000012");
    EXPECT_EQ(T(MainWindow::kNameField), L"twelve's text");
    EXPECT_EQ(T(MainWindow::kLinkTargetField), L"C:\\twelve.exe");
    EXPECT_EQ(T(MainWindow::kIconPathField), icon_);
    EXPECT_EQ(T(MainWindow::kHotIconPathField), L"アイコンと同じ");  // ticked: whatever HotIcon holds
    EXPECT_TRUE(mainWindow->PreviewImage(MainWindow::Preview::Icon).IsVisible());
    EXPECT_EQ(mainWindow->PreviewPanel(MainWindow::Preview::Icon).Caption(), L"");

    UntickHotIcon();
    SelectRow(1);
    EXPECT_EQ(T(MainWindow::kHotIconPathField), hotIcon_);
    EXPECT_TRUE(mainWindow->PreviewImage(MainWindow::Preview::HotIcon).IsVisible());

    // A button without an extension key: only the current number moves.
    SelectRow(0);
    EXPECT_EQ(mainWindow->CurrentButtonNumber(), L"00000003");
    EXPECT_EQ(T(MainWindow::kNameField), L"twelve's text");
    EXPECT_TRUE(boxes_.empty());

    // The keyboard selects as well.
    ::SetFocus(C(MainWindow::kButtonNameList));
    test::PressKey(C(MainWindow::kButtonNameList), VK_DOWN);
    EXPECT_EQ(mainWindow->CurrentButtonNumber(), L"00000012");
}

TEST_F(ButtonTest, SelectingAButtonWithoutHotIconOrWithMissingFiles) {
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"1");
    StoredButton(0, L"zero", folder_.File(L"gone.ico"), L"");
    StoredButton(1, L"one", icon_, icon_);
    test::DeleteValue(HKEY_CURRENT_USER, ExtKey(0), L"HotIcon");
    Start();
    UntickHotIcon();
    SelectRow(1);
    ASSERT_TRUE(mainWindow->PreviewImage(MainWindow::Preview::Icon).IsVisible());
    SelectRow(0);
    EXPECT_EQ(T(MainWindow::kHotIconPathField), L"");
    EXPECT_FALSE(mainWindow->PreviewImage(MainWindow::Preview::Icon).IsVisible());  // the missing file emptied it
    EXPECT_EQ(mainWindow->PreviewPanel(MainWindow::Preview::Icon).Caption(), L"アイコン");

    // An edit now fills the hot icon from the icon path.
    Answer({BoxResult::Yes, BoxResult::Yes});
    Click(MainWindow::kEditButton);
    EXPECT_EQ(UserString(ExtKey(0), L"HotIcon"), folder_.File(L"gone.ico"));
}

TEST_F(ButtonTest, SelectingAMistypedValueFails) {
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"0");
    StoredButton(0, L"zero", icon_, icon_);
    SetDword(HKEY_CURRENT_USER, ExtKey(0), L"Exec", 1);
    Start();
    mainWindow->SetText(MainWindow::kLinkTargetField, L"before");
    SelectRow(0);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"'Exec' のデータ型が不正です.");
    EXPECT_EQ(T(MainWindow::kNameField), L"zero");  // set before the failure
    EXPECT_EQ(T(MainWindow::kLinkTargetField), L"before");
    EXPECT_EQ(mainWindow->CurrentButtonNumber(), L"00000000");
}

TEST_F(ButtonTest, EditRewritesTheButtonAndReloadsTheLists) {
    SetDword(HKEY_CURRENT_USER, kCmdMapping, L"NextId", 40);
    SetDword(HKEY_CURRENT_USER, kCmdMapping, Id(12), 33);
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"13");
    StoredButton(2, L"two", icon_, icon_);
    StoredButton(12, L"twelve", icon_, icon_);
    StoredButton(13, L"thirteen", icon_, icon_);
    Start();

    // Before any selection: the error box, after the empty-field check.
    Fill(L"", L"x", icon_);
    Click(MainWindow::kEditButton);
    Fill(L"n", L"x", icon_);
    Click(MainWindow::kEditButton);
    ASSERT_EQ(Kinds(), (std::vector<BoxKind>{BoxKind::Information, BoxKind::Error}));
    EXPECT_EQ(boxes_[1].text, L"編集ファイルが選択されていません");

    boxes_.clear();
    SelectRow(1);
    const auto mapping = test::ValueNames(HKEY_CURRENT_USER, kCmdMapping);
    mainWindow->SetText(MainWindow::kNameField, L"十二");
    mainWindow->SetText(MainWindow::kLinkTargetField, L"D:\\new.exe");
    UntickHotIcon();
    mainWindow->SetText(MainWindow::kHotIconPathField, hotIcon_);
    Click(MainWindow::kEditButton);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(UserString(kCatalogue, L"ButtonNum12"), L"十二");
    ExpectExtension(12, L"十二", L"D:\\new.exe", icon_, hotIcon_);
    EXPECT_EQ(Names(), (Texts{L"two", L"十二", L"thirteen"}));
    EXPECT_EQ(Numbers(), (Texts{L"2", L"12", L"13"}));
    EXPECT_EQ(mainWindow->SelectedIndex(), -1);
    ExpectFieldsCleared();
    // The command mapping is never touched.
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kCmdMapping), mapping);
    EXPECT_EQ(UserDword(kCmdMapping, Id(12)), 33u);
    EXPECT_EQ(UserDword(kCmdMapping, L"NextId"), 40u);
    EXPECT_EQ(UserString(kCatalogue, L"ButtonDat"), L"13");

    // A button made next stands at the same index in both lists.
    Fill(L"new", L"x", icon_);
    mainWindow->SetText(MainWindow::kHotIconPathField, L"");
    Click(MainWindow::kCreateButton);
    EXPECT_EQ(Names().back(), L"new");
    EXPECT_EQ(Numbers().back(), L"14");
    EXPECT_EQ(Names().size(), Numbers().size());
}

TEST_F(ButtonTest, EditOfAButtonWithoutExtensionKeyMakesIt) {
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"0");
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonNum0", L"orphan");
    Start();
    SelectRow(0);
    Fill(L"found", L"x", icon_);
    Click(MainWindow::kEditButton);
    ExpectExtension(0, L"found", L"x", icon_, icon_);
    EXPECT_EQ(Names(), (Texts{L"found"}));
}

TEST_F(ButtonTest, DeleteWithNothingSelected) {
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"0");
    StoredButton(0, L"zero", icon_, icon_);
    Start();
    Click(MainWindow::kDeleteButton);
    SelectRow(0);
    ::SendMessageW(C(MainWindow::kButtonNameList), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    const auto before = DumpRegistry();
    Click(MainWindow::kDeleteButton);
    ASSERT_EQ(boxes_.size(), 2u);
    for (const auto& b : boxes_) {
        EXPECT_EQ(b.kind, BoxKind::Information);
        EXPECT_EQ(b.text, L"データが選択されていません。");
    }
    EXPECT_EQ(DumpRegistry(), before);
}

TEST_F(ButtonTest, DeleteOneOfSeveralKeepsCountersAndLists) {
    SetDword(HKEY_CURRENT_USER, kCmdMapping, L"NextId", 50);
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"12");
    for (int n : {0, 5, 12}) {
        StoredButton(n, L"b" + std::to_wstring(n), icon_, icon_);
        SetDword(HKEY_CURRENT_USER, kCmdMapping, Id(n), static_cast<std::uint32_t>(40 + n));
    }
    SetString(HKEY_CURRENT_USER, ExtKey(12) + L"\\Sub\\Deeper", L"v", L"x");
    Start();
    SelectRow(2);
    Click(MainWindow::kDeleteButton);
    EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, ExtKey(12)));
    EXPECT_FALSE(UserDword(kCmdMapping, Id(12)).has_value());
    EXPECT_FALSE(UserString(kCatalogue, L"ButtonNum12").has_value());
    EXPECT_EQ(UserString(kCatalogue, L"ButtonDat"), L"12");
    EXPECT_EQ(UserDword(kCmdMapping, L"NextId"), 50u);
    EXPECT_EQ(Names(), (Texts{L"b0", L"b5"}));
    EXPECT_EQ(Numbers(), (Texts{L"0", L"5"}));
    EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, ExtKey(5)));
    EXPECT_EQ(T(MainWindow::kHotIconPathField), L"アイコンと同じ");  // ticked: stays after the delete
}

TEST_F(ButtonTest, DeleteWithTheCatalogueKeyGone) {
    SetDword(HKEY_CURRENT_USER, kCmdMapping, L"NextId", 50);
    SetDword(HKEY_CURRENT_USER, kCmdMapping, Id(0), 40);
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"0");
    StoredButton(0, L"zero", icon_, icon_);
    Start();
    SelectRow(0);
    test::DeleteKeyTree(HKEY_CURRENT_USER, kCatalogue);
    Click(MainWindow::kDeleteButton);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, ExtKey(0)));
    EXPECT_FALSE(UserDword(kCmdMapping, Id(0)).has_value());
    EXPECT_EQ(Names(), (Texts{L"zero"}));  // the lists keep the entry
    EXPECT_EQ(UserDword(kCmdMapping, L"NextId"), 50u);
    ExpectFieldsCleared();
}

TEST_F(ButtonTest, DeleteWithNextIdDefMissing) {
    SetDword(HKEY_CURRENT_USER, kCmdMapping, L"NextId", 50);
    SetDword(HKEY_CURRENT_USER, kCmdMapping, Id(0), 40);
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"0");
    StoredButton(0, L"zero", icon_, icon_);
    Start();
    test::DeleteValue(HKEY_CURRENT_USER, kCatalogue, L"NextIdDef");
    SelectRow(0);
    Click(MainWindow::kDeleteButton);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"'NextIdDef' の取得に失敗しました.");
    EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, ExtKey(0)));
    EXPECT_FALSE(UserDword(kCmdMapping, Id(0)).has_value());
    EXPECT_FALSE(UserString(kCatalogue, L"ButtonNum0").has_value());
    EXPECT_EQ(UserString(kCatalogue, L"ButtonDat"), L"0");
    EXPECT_EQ(Names(), (Texts{L"zero"}));
    EXPECT_EQ(Numbers(), (Texts{L"0"}));
    EXPECT_EQ(T(MainWindow::kNameField), L"zero");  // the fields keep their text
    EXPECT_EQ(UserDword(kCmdMapping, L"NextId"), 50u);
}

TEST_F(ButtonTest, EditAfterDeleteCannotBringTheButtonBack) {
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"1");
    StoredButton(0, L"zero", icon_, icon_);
    StoredButton(1, L"one", icon_, icon_);
    Start();
    SelectRow(0);
    Click(MainWindow::kDeleteButton);
    EXPECT_EQ(mainWindow->CurrentButtonNumber(), L"");
    const auto before = DumpRegistry();
    Fill(L"zero again", L"x", icon_);
    Click(MainWindow::kEditButton);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].kind, BoxKind::Error);
    EXPECT_EQ(boxes_[0].text, L"編集ファイルが選択されていません");
    EXPECT_EQ(DumpRegistry(), before);
}

}  // namespace
}  // namespace orbelune
