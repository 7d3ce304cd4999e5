// Creating, selecting, editing and deleting buttons through the real main
// window and the Wine registry, with the boxes answered by the test: the
// window's wiring of the operations. Their rules are tested on a form
// without a window (button_rules_test.cpp).
#include "app/application.h"
#include "store/button_entry.h"
#include "store/stored_buttons.h"
#include "support/gui.h"
#include "ui/main/main_window.h"
#include "support/window_set.h"

#include <cstring>

namespace orbelune {
namespace {

using namespace test;

class ButtonTest : public test::MainWindowTest, public test::ButtonFormChecks {
protected:
    ButtonForm& Form() override { return *TheMainWindow(); }
    const std::vector<RecordedBox>& Boxes() override { return boxes_; }
    std::wstring icon_ = IconFile(L"note.ico", 32, RGB(255, 0, 0));
    std::wstring hotIcon_ = IconFile(L"hot.ico", 32, RGB(0, 0, 255));

    void SetUp() override { SetString(HKEY_CURRENT_USER, kCatalogue, L"AppPath", L"D:\\Tools\\Buttons\\"); }

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
    EXPECT_EQ(TheMainWindow()->CurrentButtonNumber(), L"00000000");
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
    TheMainWindow()->SetText(MainWindow::kHotIconPathField, hotIcon_);
    Click(MainWindow::kCreateButton);
    ExpectExtension(2, L"own hot", L"x", icon_, hotIcon_);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(ButtonTest, SelectingShowsTheStoredValues) {
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"12");
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonNum3", L"three");
    StoredButton(12, L"twelve", icon_, hotIcon_);
    SetString(HKEY_CURRENT_USER, ExtKey(12), L"ButtonText", L"twelve's text");  // shown instead of the list's name
    Start();
    ASSERT_EQ(Numbers(), (Texts{L"3", L"12"}));
    EXPECT_EQ(TheMainWindow()->CurrentButtonNumber(), L"");

    SelectRow(1);
    EXPECT_EQ(TheMainWindow()->CurrentButtonNumber(), L"00000012");
    EXPECT_EQ(T(MainWindow::kNameField), L"twelve's text");
    EXPECT_EQ(T(MainWindow::kLinkTargetField), L"C:\\twelve.exe");
    EXPECT_EQ(T(MainWindow::kIconPathField), icon_);
    EXPECT_EQ(T(MainWindow::kHotIconPathField), L"アイコンと同じ");  // ticked: whatever HotIcon holds
    EXPECT_TRUE(TheMainWindow()->PreviewImage(MainWindow::Preview::Icon).IsVisible());
    EXPECT_EQ(TheMainWindow()->PreviewPanel(MainWindow::Preview::Icon).Caption(), L"");

    UntickHotIcon();
    SelectRow(1);
    EXPECT_EQ(T(MainWindow::kHotIconPathField), hotIcon_);
    EXPECT_TRUE(TheMainWindow()->PreviewImage(MainWindow::Preview::HotIcon).IsVisible());

    // A button without an extension key: only the current number moves.
    SelectRow(0);
    EXPECT_EQ(TheMainWindow()->CurrentButtonNumber(), L"00000003");
    EXPECT_EQ(T(MainWindow::kNameField), L"twelve's text");
    EXPECT_TRUE(boxes_.empty());

    // The keyboard selects as well.
    ::SetFocus(C(MainWindow::kButtonNameList));
    test::PressKey(C(MainWindow::kButtonNameList), VK_DOWN);
    EXPECT_EQ(TheMainWindow()->CurrentButtonNumber(), L"00000012");
}

TEST_F(ButtonTest, SelectingAButtonWithoutHotIconOrWithMissingFiles) {
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"1");
    StoredButton(0, L"zero", folder_.File(L"gone.ico"), L"");
    StoredButton(1, L"one", icon_, icon_);
    test::DeleteValue(HKEY_CURRENT_USER, ExtKey(0), L"HotIcon");
    Start();
    UntickHotIcon();
    SelectRow(1);
    ASSERT_TRUE(TheMainWindow()->PreviewImage(MainWindow::Preview::Icon).IsVisible());
    SelectRow(0);
    EXPECT_EQ(T(MainWindow::kHotIconPathField), L"");
    EXPECT_FALSE(TheMainWindow()->PreviewImage(MainWindow::Preview::Icon).IsVisible());  // the missing file emptied it
    EXPECT_EQ(TheMainWindow()->PreviewPanel(MainWindow::Preview::Icon).Caption(), L"アイコン");

    // An edit now fills the hot icon from the icon path.
    Answer({BoxResult::Yes, BoxResult::Yes});
    Click(MainWindow::kEditButton);
    EXPECT_EQ(UserString(ExtKey(0), L"HotIcon"), folder_.File(L"gone.ico"));
}

TEST_F(ButtonTest, DeleteWithNothingSelected) {
    StoredCatalogue(L"0", std::nullopt, {{0, L"zero"}}, icon_);
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

TEST_F(ButtonTest, EditAfterDeleteCannotBringTheButtonBack) {
    StoredCatalogue(L"1", std::nullopt, {{0, L"zero"}, {1, L"one"}}, icon_);
    Start();
    SelectRow(0);
    Click(MainWindow::kDeleteButton);
    EXPECT_EQ(TheMainWindow()->CurrentButtonNumber(), L"");
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
