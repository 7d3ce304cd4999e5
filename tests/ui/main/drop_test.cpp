// Files dropped from Explorer onto the main window's fields and previews.
#include "ui/main/form1.h"

#include "app/application.h"
#include "support/gui.h"
#include "ui/iconpicker/form3.h"

#include <functional>

namespace orbelune {
namespace {

using test::Pump;

class DropTest : public test::AppTest {
protected:
    test::TempFolder folder_;
    const std::wstring program_ = folder_.File(L"Tool Box.exe");
    const std::wstring shortcut_ = folder_.File(L"News Site.url");
    const std::wstring icon_ = folder_.File(L"赤.ico");
    const std::wstring notAnIcon_ = folder_.File(L"readme.txt");
    const std::wstring subfolder_ = folder_.File(L"icons.d");

    void SetUp() override {
        test::WriteFileBytes(program_, {'M', 'Z', 0, 0});
        const std::string shortcut = "[InternetShortcut]\r\nURL=http://example.com/\r\n";
        test::WriteFileBytes(shortcut_, {shortcut.begin(), shortcut.end()});
        test::WriteFileBytes(icon_, test::IconFileBytes(32, RGB(255, 0, 0)));
        test::WriteFileBytes(notAnIcon_, {'p', 'l', 'a', 'i', 'n', ' ', 't', 'e', 'x', 't'});
        ::CreateDirectoryW(subfolder_.c_str(), nullptr);
        Start();
    }

    // Drops onto the middle of a control of the main window (or of the
    // panel a preview sits in).
    void DropOnto(int id, const std::vector<std::wstring>& files) {
        RECT r;
        ::GetWindowRect(Form1->Control(id), &r);
        POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ::ScreenToClient(Form1->Handle(), &middle);
        test::DropFiles(Form1->Handle(), middle, files);
    }
    std::wstring T(int id) { return Form1->Text(id); }
    bool Showing(TForm1::Preview preview) { return Form1->PreviewImage(preview).IsVisible(); }
    const std::vector<std::uint8_t>* Shown(TForm1::Preview preview) {
        return Form1->PreviewImage(preview).Picture().FileBytes();
    }
    void UseHotIcon() {
        ::SendMessageW(Form1->Control(TForm1::CheckBox1), BM_CLICK, 0, 0);
        Pump();
    }
};

TEST_F(DropTest, OntoTheLinkTargetOrNameFieldTheFileBecomesTheLinkTarget) {
    const struct {
        const char* what;
        int onto;
        std::wstring file;
        std::wstring nameBefore;
        std::wstring linkTarget, name;
    } cases[] = {
        {"program, name empty", TForm1::Edit2, program_, L"", program_, L"Tool Box"},
        {"program onto the name, name filled", TForm1::Edit1, program_, L"Mine", program_, L"Mine"},
        {"shortcut, name empty", TForm1::Edit2, shortcut_, L"", L"http://example.com/", L"News Site"},
        {"shortcut onto the name, name filled", TForm1::Edit1, shortcut_, L"Mine", L"http://example.com/", L"Mine"},
        {"folder, name empty", TForm1::Edit2, subfolder_, L"", subfolder_, L"icons.d"},
        {"two files: the first", TForm1::Edit2, program_, L"", program_, L"Tool Box"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Form1->SetText(TForm1::Edit1, c.nameBefore);
        Form1->SetText(TForm1::Edit2, L"");
        std::vector<std::wstring> files{c.file};
        if (std::string(c.what).find("two") == 0) files.push_back(shortcut_);
        DropOnto(c.onto, files);
        EXPECT_EQ(T(TForm1::Edit2), c.linkTarget);
        EXPECT_EQ(T(TForm1::Edit1), c.name);
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(DropTest, OntoAnIconFieldOrPreviewTheIconIsShownAsEnterShowsIt) {
    using P = TForm1::Preview;
    const struct {
        const char* what;
        bool hotIconField;  // the check box unticked first
        int onto;
        std::wstring file;
        int field;
        std::wstring fieldText;
        P preview;
        bool shown;
    } cases[] = {
        {"icon field", false, TForm1::Edit3, icon_, TForm1::Edit3, icon_, P::Icon, true},
        {"icon preview", false, TForm1::Panel1, icon_, TForm1::Edit3, icon_, P::Icon, true},
        {"folder onto the icon field", false, TForm1::Edit3, subfolder_, TForm1::Edit3, L"", P::Icon, false},
        {"hot-icon field while disabled", false, TForm1::Edit4, icon_, TForm1::Edit4, L"アイコンと同じ", P::HotIcon, false},
        {"hot-icon field", true, TForm1::Edit4, icon_, TForm1::Edit4, icon_, P::HotIcon, true},
        {"hot-icon preview", true, TForm1::Panel2, icon_, TForm1::Edit4, icon_, P::HotIcon, true},
        {"folder onto the hot-icon field", true, TForm1::Edit4, subfolder_, TForm1::Edit4, L"", P::HotIcon, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DestroyWindowSet();  // a fresh window set each time
        Start();
        if (c.hotIconField) UseHotIcon();
        DropOnto(c.onto, {c.file, program_});
        EXPECT_EQ(T(c.field), c.fieldText);
        EXPECT_EQ(Showing(c.preview), c.shown);
        if (c.shown) {
            ASSERT_TRUE(Shown(c.preview));
            EXPECT_EQ(*Shown(c.preview), test::ReadFileBytes(icon_));
            EXPECT_EQ(Form1->PreviewPanel(c.preview).Caption(), L"");
        }
        EXPECT_EQ(T(TForm1::Edit2), L"");  // nothing else changes
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(DropTest, AFileThatIsNoIconFailsAsEnterDoes) {
    DropOnto(TForm1::Edit3, {notAnIcon_});
    EXPECT_EQ(T(TForm1::Edit3), notAnIcon_);
    EXPECT_FALSE(Showing(TForm1::Preview::Icon));
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].kind, BoxKind::Failure);
    EXPECT_EQ(boxes_[0].text, L"アイコンイメージが不正です.");
}

TEST_F(DropTest, NoDropsAwayFromTheFieldsOrWhileASubWindowIsOpen) {
    test::DropFiles(Form1->Handle(), POINT{300, 8}, {program_});
    EXPECT_EQ(T(TForm1::Edit2), L"");
    Form1->Button5Click();  // the icon picker
    ASSERT_TRUE(Form3->IsShown());
    for (int onto : {TForm1::Edit2, TForm1::Edit3}) DropOnto(onto, {icon_});
    EXPECT_EQ(T(TForm1::Edit1), L"");
    EXPECT_EQ(T(TForm1::Edit2), L"");
    EXPECT_EQ(T(TForm1::Edit3), L"");
    EXPECT_FALSE(Showing(TForm1::Preview::Icon));
}

}  // namespace
}  // namespace orbelune
