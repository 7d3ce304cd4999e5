#include "store/button_set.h"

#include "support/failure_matchers.h"
#include "support/gui.h"
#include "support/icon_library.h"
#include "support/recording_prompts.h"
#include "support/scratch_registry.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace orbelune {
namespace {

using test::DumpRegistry;
using test::FailureOf;
using test::ReadFileBytes;
using test::UserString;
using Bytes = std::vector<unsigned char>;

const std::wstring kCatalogue = L"\\Software\\Tollivern";
const std::wstring kCmdMapping = L"\\Software\\Microsoft\\Internet Explorer\\Extensions\\CmdMapping";
const std::wstring kExtensions = L"\\Software\\Microsoft\\Internet Explorer\\Extensions\\";
const std::wstring kId2 = L"{00000002-0000-0000-0000-000000000000}";

struct Answers final : ImportChoices {
    Existing existing = Existing::Skip;
    bool deleteAll = false;
    std::function<void(std::size_t)> made;
    Existing ForExistingNames(std::size_t) override { return existing; }
    bool DeleteButtonsPresent(std::size_t) override { return deleteAll; }
    void Made(std::size_t done) override {
        if (made) made(done);
    }
};

Bytes Encoded(const std::wstring& text, UINT codePage, Bytes bytes) {
    const int size = ::WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    bytes.insert(bytes.end(), out.begin(), out.end());
    return bytes;
}
Bytes Utf16(const std::wstring& text) {
    Bytes bytes{0xFF, 0xFE};
    for (wchar_t c : text) bytes.push_back(static_cast<unsigned char>(c)), bytes.push_back(static_cast<unsigned char>(c >> 8));
    return bytes;
}

// A catalogue whose program folder (and so its icon folder) is a temporary
// one, and Internet Explorer's command numbers from 100.
class ButtonSetTest : public testing::Test {
protected:
    void SetUp() override { Fresh(); }
    void Fresh() {
        scratch_.reset();  // its redirection undone before the next one's is made
        scratch_ = std::make_unique<test::ScratchRegistry>();
        app_ = std::make_unique<test::TempFolder>();
        test::SetString(HKEY_CURRENT_USER, kCatalogue, L"AppPath", app_->Path() + L"\\");
        test::SetDword(HKEY_CURRENT_USER, kCmdMapping, L"NextId", 100);
    }
    std::wstring Icon(const std::wstring& path, int seed) {
        test::WriteFileBytes(path, test::IcoFile({{32, 32}}, seed));
        return path;
    }
    std::wstring Create(const std::wstring& name, const std::wstring& target, const std::wstring& icon,
                        const std::wstring& hotIcon = L"") {
        test::RecordingPrompts prompts;
        return CreateOneButton(name, target, icon, hotIcon, prompts);
    }
    std::wstring IconFolder() const { return app_->Path() + L"\\icon\\"; }

    std::unique_ptr<test::ScratchRegistry> scratch_;
    std::unique_ptr<test::TempFolder> app_;
    test::TempFolder files_;
};

// Exported and imported into an empty catalogue: the same values, icons of
// the same bytes; the file read by the platform's profile reader.
TEST_F(ButtonSetTest, RoundTripGivesTheSameButtonsAndIcons) {
    ::CreateDirectoryW(files_.File(L"a").c_str(), nullptr);
    ::CreateDirectoryW(files_.File(L"b").c_str(), nullptr);
    const std::wstring note1 = Icon(files_.File(L"a\\note.ico"), 1), note2 = Icon(files_.File(L"b\\note.ico"), 2);
    Create(L"メモ帳", L"C:\\Windows\\notepad.exe", note1);
    Create(L"  空白と \"引用符\" ", L"https://example.com/?a=1", note2, note1);
    Create(L"'quoted'", L"D:\\文書\\読む.txt", note1, note2);
    const std::wstring file = files_.File(L"out\\set.ins");
    ::CreateDirectoryW(files_.File(L"out").c_str(), nullptr);
    const ExportReport report = ExportButtons(ListButtons(), file);
    EXPECT_EQ(report.buttons, 3u);
    EXPECT_EQ(report.iconsCopied, 2u);
    EXPECT_EQ(test::FolderContents(files_.File(L"out")), (std::vector<std::wstring>{L"note (2).ico", L"note.ico", L"set.ins"}));
    EXPECT_EQ(ReadFileBytes(files_.File(L"out\\note (2).ico")), ReadFileBytes(note2));
    const std::vector<StoredButton> before = ListButtons();
    const auto profile = [&](const wchar_t* key) {
        wchar_t buffer[512];
        ::GetPrivateProfileStringW(L"BrowserToolbars", key, L"", buffer, 512, file.c_str());
        return std::wstring(buffer);
    };
    EXPECT_EQ(profile(L"Caption1"), before[1].name);
    EXPECT_EQ(profile(L"Action2"), L"D:\\文書\\読む.txt");
    EXPECT_EQ(profile(L"HotIcon1") + L"|" + profile(L"Icon2") + L"|" + profile(L"ToolTipText0") + profile(L"Show0"),
              L"note.ico|note.ico|メモ帳1");

    // Into an empty catalogue whose icon folder holds another note.ico: it
    // stays, the copies take new names; imported again, they are reused.
    Fresh();
    ::CreateDirectoryW(IconFolder().c_str(), nullptr);
    const std::wstring other = Icon(IconFolder() + L"note.ico", 9);
    Answers answers;
    ImportReport imported;
    ImportButtons(file, answers, imported);
    EXPECT_EQ(ImportSummary(imported), L"作成 3 個、置き換え 0 個、スキップ 0 個。");
    const std::vector<StoredButton> after = ListButtons();
    ASSERT_EQ(after.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(std::vector({after[i].number, after[i].name, after[i].target}),
                  std::vector({before[i].number, before[i].name, before[i].target}));
        EXPECT_EQ(ReadFileBytes(after[i].icon), ReadFileBytes(before[i].icon));
        EXPECT_EQ(ReadFileBytes(after[i].hotIcon), ReadFileBytes(before[i].hotIcon));
        EXPECT_EQ(after[i].icon.rfind(IconFolder(), 0), 0u) << after[i].icon;
    }
    EXPECT_EQ(test::UserDword(kCmdMapping, kId2), 102u);
    const std::vector<std::wstring> copies{L"note (2) (2).ico", L"note (2).ico", L"note.ico"};
    EXPECT_EQ(test::FolderContents(app_->Path() + L"\\icon"), copies);
    EXPECT_EQ(ReadFileBytes(other), test::IcoFile({{32, 32}}, 9));
    answers.existing = ImportChoices::Existing::Replace;
    ImportButtons(file, answers, imported);
    EXPECT_EQ(imported.replaced, 3u);
    EXPECT_EQ(test::FolderContents(app_->Path() + L"\\icon"), copies);
}

// A file written by hand, in each encoding: numbers with gaps, keys in any
// order, absolute paths; the existing name skipped or replaced as chosen.
TEST_F(ButtonSetTest, HandWrittenFilesInEveryEncodingAndExistingNames) {
    const std::wstring icon = Icon(files_.File(L"手.ico"), 3);
    const std::wstring text = L"; 手書き\r\n[BrowserToolbars]\r\nDeleteButtons=1\r\nIcon7=" + icon + L"\r\nCaption7=日本語ボタン\r\nAction7=C:\\メモ.exe\r\n"
                              L"Caption2=既存\r\nAction2=new\r\nIcon2=\"" + icon + L"\"\r\nHotIcon2=" + icon + L"\r\n";
    // The buttons present go first only when that is confirmed (the last).
    for (const auto& [bytes, existing] : {std::pair{Encoded(text, 932, {}), ImportChoices::Existing::Skip},
                                          std::pair{Encoded(text, CP_UTF8, {0xEF, 0xBB, 0xBF}), ImportChoices::Existing::Replace},
                                          std::pair{Utf16(text), ImportChoices::Existing::Stop}}) {
        Fresh();
        Create(L"既存", L"old", icon);
        test::WriteFileBytes(files_.File(L"hand.ins"), bytes);
        Answers answers;
        answers.existing = existing;
        answers.deleteAll = existing == ImportChoices::Existing::Stop;
        ImportReport report;
        ImportButtons(files_.File(L"hand.ins"), answers, report);
        const std::vector<StoredButton> buttons = ListButtons();
        ASSERT_EQ(buttons.size(), 2u);
        EXPECT_EQ(buttons[1].name + L"|" + buttons[1].target, L"日本語ボタン|C:\\メモ.exe");
        EXPECT_EQ(buttons[0].target, existing == ImportChoices::Existing::Skip ? L"old" : L"new");
        EXPECT_EQ(report.skipped + report.replaced + report.created, 2u);
        EXPECT_EQ(report.deleted, answers.deleteAll ? 1u : 0u);
    }
}

// A file that is not one, an entry the registry cannot hold, an icon that is
// not there: the message names why, and nothing changes.
TEST_F(ButtonSetTest, DamagedFilesChangeNothing) {
    const std::wstring icon = Icon(files_.File(L"i.ico"), 1);
    Create(L"present", L"x", icon);
    const std::wstring entry = L"[BrowserToolbars]\r\nCaption0=a\r\nAction0=b\r\nIcon0=" + icon + L"\r\n";
    Bytes binary(4096);
    for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<unsigned char>(i * 7919 % 251);
    const struct {
        Bytes bytes;
        std::wstring message;
    } cases[] = {
        {Encoded(L"Caption0=a\r\nAction0=b\r\n", 932, {}), L"ボタン一覧のファイルではありません"},
        {binary, L"ボタン一覧のファイルではありません"},
        {{0xFF, 0xFE}, L"ボタン一覧のファイルではありません"},
        {Utf16(entry + L"Action1=" + std::wstring(600000, L'x') + L"\r\nCaption1=c\r\nIcon1=" + icon), L"値が長すぎて"},
        {Utf16(entry + L"Caption3=c\r\nAction3=d\r\nIcon3=gone.ico"), L"がありません"},
        {Utf16(entry + L"Caption4=\r\nAction4=d\r\nIcon4=" + icon), L"空白の項目があります"},
    };
    const std::wstring registry = DumpRegistry();
    const std::vector<std::wstring> appFolder = test::FolderContents(app_->Path());
    for (const auto& c : cases) {
        test::WriteFileBytes(files_.File(L"bad.ins"), c.bytes);
        Answers answers;
        ImportReport report;
        const std::wstring message = FailureOf([&] { ImportButtons(files_.File(L"bad.ins"), answers, report); });
        EXPECT_NE(message.find(c.message), std::wstring::npos) << testing::PrintToString(message);
        EXPECT_EQ(DumpRegistry(), registry);
        EXPECT_EQ(test::FolderContents(app_->Path()), appFolder);
    }
    // An icon that cannot be copied (held by another program): the copies
    // made before it go again.
    const std::wstring held = Icon(files_.File(L"held.ico"), 2);
    test::WriteFileBytes(files_.File(L"bad.ins"), Utf16(entry + L"Caption1=c\r\nAction1=d\r\nIcon1=" + held));
    HANDLE lock = ::CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Answers answers;
    ImportReport report;
    const std::wstring message = FailureOf([&] { ImportButtons(files_.File(L"bad.ins"), answers, report); });
    ::CloseHandle(lock);
    EXPECT_NE(message.find(L"Caption1「c」）: アイコン ファイル '" + held + L"' をコピーできません"), std::wstring::npos);
    EXPECT_EQ(DumpRegistry(), registry);
    EXPECT_TRUE(test::FolderContents(app_->Path() + L"\\icon").empty());
}

// A registry failure while the third button is made: the two before it stay
// whole, nothing of the third is left.
TEST_F(ButtonSetTest, RegistryFailureInTheMiddleLeavesEveryButtonWhole) {
    const std::wstring icon = Icon(files_.File(L"i.ico"), 1);
    std::wstring text = L"[BrowserToolbars]\r\n";
    for (int n = 0; n < 4; ++n)
        text += L"Caption" + std::to_wstring(n) + L"=b" + std::to_wstring(n) + L"\r\nAction" + std::to_wstring(n) +
                L"=t\r\nIcon" + std::to_wstring(n) + L"=" + icon + L"\r\n";
    test::WriteFileBytes(files_.File(L"set.ins"), Utf16(text));
    Answers answers;
    answers.made = [](std::size_t done) {
        if (done == 2) test::SetString(HKEY_CURRENT_USER, kCmdMapping, L"NextId", L"not a number");
    };
    ImportReport report;
    const std::wstring message = FailureOf([&] { ImportButtons(files_.File(L"set.ins"), answers, report); });
    EXPECT_NE(message.find(L"Caption2「b2」"), std::wstring::npos);
    EXPECT_EQ(report.created, 2u);
    EXPECT_EQ(UserString(kCatalogue, L"ButtonDat"), L"1");
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kExtensions + L"{00000001-0000-0000-0000-000000000000}").size(), 5u);
    EXPECT_FALSE(UserString(kCatalogue, L"ButtonNum2"));
    EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, kExtensions + kId2));
    EXPECT_FALSE(test::GetRaw(HKEY_CURRENT_USER, kCmdMapping, kId2));
}

}  // namespace
}  // namespace orbelune
