// Files dropped from Explorer onto the main window's fields and previews.
#include "ui/main/main_window.h"

#include "app/application.h"
#include "platform/failure.h"
#include "support/gui.h"
#include "ui/iconpicker/icon_picker.h"
#include "support/window_set.h"

#include <functional>

#include <shellapi.h>

// The import pointer of DragFinish, which loads shell32 at its first call
// (platform/delayed_imports.cpp; the tests are 32-bit).
extern "C" decltype(&::DragFinish) orbelune_import_DragFinish asm("__imp__DragFinish@4");

namespace orbelune {
namespace {

using test::Pump;

// What that first call does when shell32 cannot be loaded.
void WINAPI FinishWithoutTheShell(HDROP) { Fail(L"'%s' を読み込めません", L"shell32.dll"); }

class DropTest : public test::MainWindowTest {
protected:
    const std::wstring program_ = folder_.File(L"Tool Box.exe");
    const std::wstring shortcut_ = folder_.File(L"News Site.url");
    const std::wstring icon_ = IconFile(L"赤.ico", 32, RGB(255, 0, 0));
    const std::wstring notAnIcon_ = folder_.File(L"readme.txt");
    const std::wstring subfolder_ = folder_.File(L"icons.d");

    void SetUp() override {
        test::WriteFileBytes(program_, {'M', 'Z', 0, 0});
        const std::string shortcut = "[InternetShortcut]\r\nURL=http://example.com/\r\n";
        test::WriteFileBytes(shortcut_, {shortcut.begin(), shortcut.end()});
        test::WriteFileBytes(notAnIcon_, {'p', 'l', 'a', 'i', 'n', ' ', 't', 'e', 'x', 't'});
        ::CreateDirectoryW(subfolder_.c_str(), nullptr);
        Start();
    }

    // Drops onto the middle of a control of the main window (or of the
    // panel a preview sits in).
    void DropOnto(int id, const std::vector<std::wstring>& files) {
        RECT r;
        ::GetWindowRect(TheMainWindow()->Control(id), &r);
        POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ::ScreenToClient(TheMainWindow()->Handle(), &middle);
        test::DropFiles(TheMainWindow()->Handle(), middle, files);
    }
    bool Showing(MainWindow::Preview preview) { return TheMainWindow()->PreviewImage(preview).IsVisible(); }
    const std::vector<std::uint8_t>* Shown(MainWindow::Preview preview) {
        return TheMainWindow()->PreviewImage(preview).Picture().FileBytes();
    }
    void UseHotIcon() {
        ::SendMessageW(TheMainWindow()->Control(MainWindow::kSameAsIconCheck), BM_CLICK, 0, 0);
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
        {"program, name empty", MainWindow::kLinkTargetField, program_, L"", program_, L"Tool Box"},
        {"program onto the name, name filled", MainWindow::kNameField, program_, L"Mine", program_, L"Mine"},
        {"shortcut, name empty", MainWindow::kLinkTargetField, shortcut_, L"", L"http://example.com/", L"News Site"},
        {"shortcut onto the name, name filled", MainWindow::kNameField, shortcut_, L"Mine", L"http://example.com/",
         L"Mine"},
        {"folder, name empty", MainWindow::kLinkTargetField, subfolder_, L"", subfolder_, L"icons.d"},
        {"two files: the first", MainWindow::kLinkTargetField, program_, L"", program_, L"Tool Box"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TheMainWindow()->SetText(MainWindow::kNameField, c.nameBefore);
        TheMainWindow()->SetText(MainWindow::kLinkTargetField, L"");
        std::vector<std::wstring> files{c.file};
        if (std::string(c.what).find("two") == 0) files.push_back(shortcut_);
        DropOnto(c.onto, files);
        EXPECT_EQ(T(MainWindow::kLinkTargetField), c.linkTarget);
        EXPECT_EQ(T(MainWindow::kNameField), c.name);
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(DropTest, OntoAnIconFieldOrPreviewTheIconIsShownAsEnterShowsIt) {
    using P = MainWindow::Preview;
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
        {"icon field", false, MainWindow::kIconPathField, icon_, MainWindow::kIconPathField, icon_, P::Icon, true},
        {"icon preview", false, MainWindow::kIconPanel, icon_, MainWindow::kIconPathField, icon_, P::Icon, true},
        {"folder onto the icon field", false, MainWindow::kIconPathField, subfolder_, MainWindow::kIconPathField, L"",
         P::Icon, false},
        {"hot-icon field while disabled", false, MainWindow::kHotIconPathField, icon_, MainWindow::kHotIconPathField,
         L"アイコンと同じ", P::HotIcon, false},
        {"hot-icon field", true, MainWindow::kHotIconPathField, icon_, MainWindow::kHotIconPathField, icon_, P::HotIcon,
         true},
        {"hot-icon preview", true, MainWindow::kHotIconPanel, icon_, MainWindow::kHotIconPathField, icon_, P::HotIcon,
         true},
        {"folder onto the hot-icon field", true, MainWindow::kHotIconPathField, subfolder_,
         MainWindow::kHotIconPathField, L"", P::HotIcon, false},
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
            EXPECT_EQ(TheMainWindow()->PreviewPanel(c.preview).Caption(), L"");
        }
        EXPECT_EQ(T(MainWindow::kLinkTargetField), L"");  // nothing else changes
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(DropTest, AFileThatIsNoIconFailsAsEnterDoes) {
    DropOnto(MainWindow::kIconPathField, {notAnIcon_});
    EXPECT_EQ(T(MainWindow::kIconPathField), notAnIcon_);
    EXPECT_FALSE(Showing(MainWindow::Preview::Icon));
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].kind, BoxKind::Failure);
    EXPECT_EQ(boxes_[0].text, L"アイコンイメージが不正です.");
}

TEST_F(DropTest, NoDropsAwayFromTheFieldsOrWhileASubWindowIsOpen) {
    test::DropFiles(TheMainWindow()->Handle(), POINT{300, 8}, {program_});
    EXPECT_EQ(T(MainWindow::kLinkTargetField), L"");
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));  // the icon picker
    ASSERT_TRUE(TheIconPicker()->IsShown());
    for (int onto : {MainWindow::kLinkTargetField, MainWindow::kIconPathField}) DropOnto(onto, {icon_});
    EXPECT_EQ(T(MainWindow::kNameField), L"");
    EXPECT_EQ(T(MainWindow::kLinkTargetField), L"");
    EXPECT_EQ(T(MainWindow::kIconPathField), L"");
    EXPECT_FALSE(Showing(MainWindow::Preview::Icon));
}

TEST_F(DropTest, AFailingCleanUpEndsNeitherTheDropNorTheProgram) {
    const auto finish = orbelune_import_DragFinish;
    orbelune_import_DragFinish = FinishWithoutTheShell;
    DropOnto(MainWindow::kLinkTargetField, {program_});
    orbelune_import_DragFinish = finish;
    EXPECT_EQ(T(MainWindow::kLinkTargetField), program_);
    EXPECT_TRUE(boxes_.empty());
}

}  // namespace
}  // namespace orbelune
