#include "store/catalogue_load.h"

#include "support/failure_matchers.h"
#include "support/gui.h"
#include "support/scratch_registry.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <functional>
#include <optional>

namespace orbelune {
namespace {

using test::DumpRegistry;
using test::FailureOf;
using test::SetDword;
using test::SetRaw;
using test::SetString;
using test::UserDword;
using test::UserString;

const std::wstring kCatalogue = L"\\Software\\Tollivern";
const std::wstring kCmdMapping = L"\\Software\\Microsoft\\Internet Explorer\\Extensions\\CmdMapping";
const std::wstring kUninstall = L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vesk";
// The uninstall command of an installation in `folder` (ending in "\\").
std::wstring CommandOf(const std::wstring& folder) { return L"\"" + folder + L"vesk_uninst.exe\""; }

// An installation: a folder that holds the uninstaller. `under` names a
// folder below the temporary one.
class Installation {
public:
    explicit Installation(const std::wstring& under = L"") {
        if (!under.empty()) ::CreateDirectoryW(temp_.File(under).c_str(), nullptr);
        path_ = (under.empty() ? temp_.Path() : temp_.File(under)) + L"\\";
        test::WriteFileBytes(path_ + L"vesk_uninst.exe", {'M', 'Z'});
    }
    const std::wstring& Path() const { return path_; }

private:
    test::TempFolder temp_;
    std::wstring path_;
};

// A folder without the uninstaller.
const std::wstring kNoUninstaller = L"D:\\Tools\\Buttons\\";

struct FakeWindow final : CatalogueWindow {
    std::vector<std::wstring> names;
    std::vector<std::wstring> numbers;
    std::wstring iconFolder = L"(unset)";

    void AppendButtonName(std::wstring_view name) override { names.emplace_back(name); }
    void AppendButtonNumber(std::wstring_view number) override { numbers.emplace_back(number); }
    void SetIconFolder(std::wstring_view folder) override { iconFolder = folder; }
};

using Texts = std::vector<std::wstring>;

class CatalogueLoadTest : public testing::Test {
protected:
    test::ScratchRegistry scratch_;
    FakeWindow window_;
    const Installation installed_;
    const std::wstring kAppPath = installed_.Path();
    const std::wstring kExpectedCommand = CommandOf(kAppPath);

    // An installed program on a machine where Internet Explorer has run.
    void Install() {
        SetString(HKEY_CURRENT_USER, kCatalogue, L"AppPath", kAppPath);
        SetString(HKEY_LOCAL_MACHINE, kUninstall, L"UninstallString", kExpectedCommand);
        SetDword(HKEY_CURRENT_USER, kCmdMapping, L"NextId", 20);
    }
    void Buttons(const std::wstring& buttonDat, std::initializer_list<std::pair<int, std::wstring>> buttons) {
        SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", buttonDat);
        for (const auto& [n, name] : buttons)
            SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonNum" + std::to_wstring(n), name);
    }
    std::wstring Load() {
        return FailureOf([&] { LoadCatalogue(window_); });
    }
};

TEST_F(CatalogueLoadTest, FirstStartWithNoKeys) {
    EXPECT_EQ(Load(), L"(no failure)");
    EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, kCatalogue));
    EXPECT_EQ(UserDword(kCatalogue, L"NextIdDef"), 0u);
    EXPECT_EQ(UserDword(kCatalogue, L"CmdCount"), 0u);
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kCatalogue).size(), 2u);
    EXPECT_TRUE(window_.names.empty());
    EXPECT_TRUE(window_.numbers.empty());
    EXPECT_EQ(window_.iconFolder, L"icon");
    EXPECT_EQ(DumpRegistry().find(L"[HKLM\\"), std::wstring::npos);  // nothing in the machine hive
}

TEST_F(CatalogueLoadTest, ListsPresentButtonsInAscendingOrderUpToButtonDat) {
    Install();
    Buttons(L"3", {{3, L"Three"}, {0, L"メモ帳"}, {1, L""}, {5, L"Above ButtonDat"}});
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonNum03", L"Padded name");  // not how a number is written
    EXPECT_EQ(Load(), L"(no failure)");
    EXPECT_EQ(window_.names, (Texts{L"メモ帳", L"", L"Three"}));
    EXPECT_EQ(window_.numbers, (Texts{L"0", L"1", L"3"}));
    EXPECT_EQ(window_.iconFolder, kAppPath + L"icon");
}

TEST_F(CatalogueLoadTest, ValueNamesMatchWithoutLetterCase) {
    Install();
    Buttons(L"2", {{0, L"zero"}});
    SetString(HKEY_CURRENT_USER, kCatalogue, L"buttonnum1", L"one");
    SetDword(HKEY_CURRENT_USER, kCatalogue, L"BUTTONNUM2", 2);
    EXPECT_EQ(Load(), L"'ButtonNum2' のデータ型が不正です");
    EXPECT_EQ(window_.names, (Texts{L"zero", L"one"}));
    EXPECT_EQ(window_.numbers, (Texts{L"0", L"1"}));
}

TEST_F(CatalogueLoadTest, ButtonDatForms) {
    const struct {
        const wchar_t* buttonDat;
        DWORD type;
        Texts numbers;
    } cases[] = {
        {L"", REG_SZ, {}},          {L"-1", REG_SZ, {}},           {L"0", REG_SZ, {L"0"}},
        {L"$2", REG_SZ, {L"0", L"2"}}, {L"0x1", REG_SZ, {L"0"}},   {L"  +2", REG_SZ, {L"0", L"2"}},
        {L"2", REG_EXPAND_SZ, {L"0", L"2"}}, {L"2147483647", REG_SZ, {L"0", L"2", L"9"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "ButtonDat " << testing::PrintToString(std::wstring(c.buttonDat)));
        test::ScratchRegistry inner;
        Install();
        Buttons(L"", {{0, L"a"}, {2, L"b"}, {9, L"c"}});
        SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", c.buttonDat, c.type);
        window_ = FakeWindow{};
        EXPECT_EQ(Load(), L"(no failure)");
        EXPECT_EQ(window_.numbers, c.numbers);
        EXPECT_EQ(window_.names.size(), c.numbers.size());
        EXPECT_EQ(UserDword(kCatalogue, L"NextIdDef"), 20u);  // the later steps ran
    }
}

TEST_F(CatalogueLoadTest, AbsentButtonDatListsNothingAndGoesOn) {
    Install();
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonNum0", L"orphan");
    SetString(HKEY_LOCAL_MACHINE, kUninstall, L"UninstallString", L"old");
    EXPECT_EQ(Load(), L"(no failure)");
    EXPECT_TRUE(window_.names.empty());
    EXPECT_EQ(UserDword(kCatalogue, L"NextIdDef"), 20u);
    EXPECT_EQ(test::GetString(HKEY_LOCAL_MACHINE, kUninstall, L"UninstallString"), kExpectedCommand);
}

TEST_F(CatalogueLoadTest, ButtonDatNotAnIntegerStopsBeforeWritingAnything) {
    Install();
    Buttons(L"abc", {{0, L"a"}});
    SetString(HKEY_LOCAL_MACHINE, kUninstall, L"UninstallString", L"old");
    const auto before = DumpRegistry();
    EXPECT_EQ(Load(), L"'abc' は整数ではありません");
    EXPECT_TRUE(window_.names.empty());
    EXPECT_EQ(window_.iconFolder, L"(unset)");
    EXPECT_EQ(DumpRegistry(), before);
}

TEST_F(CatalogueLoadTest, CountsEveryCommandMappingValueOnFirstStart) {
    SetDword(HKEY_CURRENT_USER, kCmdMapping, L"NextId", 57);
    SetDword(HKEY_CURRENT_USER, kCmdMapping, L"{AAAAAAAA-0000-0000-0000-000000000000}", 50);
    SetDword(HKEY_CURRENT_USER, kCmdMapping, L"{BBBBBBBB-0000-0000-0000-000000000000}", 51);
    SetString(HKEY_CURRENT_USER, kCmdMapping, L"other", L"text");
    SetString(HKEY_CURRENT_USER, kCmdMapping, L"", L"the unnamed value");
    EXPECT_EQ(Load(), L"(no failure)");
    EXPECT_EQ(UserDword(kCatalogue, L"NextIdDef"), 57u);
    EXPECT_EQ(UserDword(kCatalogue, L"CmdCount"), 5u);
}

TEST_F(CatalogueLoadTest, FirstStartValuesAreWrittenOnlyOnce) {
    Install();
    SetDword(HKEY_CURRENT_USER, kCatalogue, L"NextIdDef", 7);
    SetString(HKEY_CURRENT_USER, kCatalogue, L"CmdCount", L"any type");
    SetDword(HKEY_CURRENT_USER, kCmdMapping, L"extra", 1);
    const auto before = DumpRegistry();
    EXPECT_EQ(Load(), L"(no failure)");
    EXPECT_EQ(DumpRegistry(), before);
}

TEST_F(CatalogueLoadTest, UninstallCommandRepair) {
    const Installation japanese(L"ツール 表示");
    std::wstring lower = kExpectedCommand;
    for (wchar_t& c : lower) c = static_cast<wchar_t>(::towlower(c));
    const std::wstring good = L"\"C:\\Good\\vesk_uninst.exe\"";
    const struct {
        const char* what;
        bool keyPresent;
        std::optional<std::wstring> stored;   // none: no value
        std::optional<std::wstring> appPath;  // none: no AppPath
        std::optional<std::wstring> after;    // none: still no value
    } cases[] = {
        {"equal", true, kExpectedCommand, kAppPath, kExpectedCommand},
        {"case differs", true, lower, kAppPath, kExpectedCommand},
        {"other folder", true, good, japanese.Path(), CommandOf(japanese.Path())},
        {"value absent", true, {}, kAppPath, kExpectedCommand},
        {"key absent", false, {}, kAppPath, {}},
        {"AppPath empty", true, good, L"", good},
        {"AppPath absent", true, good, {}, good},
        {"AppPath empty, value absent", true, {}, L"", {}},
        // A copy that was never installed (AppPath recorded by the program
        // itself): the entry keeps naming the installer's uninstaller.
        {"a folder without the uninstaller", true, good, kNoUninstaller, good},
        {"a folder without the uninstaller, value absent", true, {}, kNoUninstaller, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::ScratchRegistry inner;
        if (c.keyPresent) test::CreateKey(HKEY_LOCAL_MACHINE, kUninstall);
        if (c.stored) SetString(HKEY_LOCAL_MACHINE, kUninstall, L"UninstallString", *c.stored);
        if (c.appPath) SetString(HKEY_CURRENT_USER, kCatalogue, L"AppPath", *c.appPath);
        EXPECT_EQ(Load(), L"(no failure)");
        const auto after = test::GetString(HKEY_LOCAL_MACHINE, kUninstall, L"UninstallString");
        if (c.after) {
            EXPECT_EQ(after, *c.after);
            // Written with its terminating zero: other programs read it.
            const auto raw = test::GetRaw(HKEY_LOCAL_MACHINE, kUninstall, L"UninstallString");
            ASSERT_TRUE(raw);
            const std::size_t length = c.after->size();
            EXPECT_EQ(raw->data.size(), (length + 1) * sizeof(wchar_t));
            EXPECT_EQ(raw->data.back(), 0);
            EXPECT_EQ(raw->data[raw->data.size() - 2], 0);
        } else {
            EXPECT_FALSE(after.has_value());
        }
        EXPECT_EQ(test::KeyExists(HKEY_LOCAL_MACHINE, kUninstall), c.keyPresent);
    }
}

TEST_F(CatalogueLoadTest, EqualUninstallCommandIsNotWrittenAgain) {
    Install();
    // A REG_EXPAND_SZ with the same text reads equal: rewriting it would
    // change its type, so the value must stay as it is.
    SetString(HKEY_LOCAL_MACHINE, kUninstall, L"UninstallString", kExpectedCommand, REG_EXPAND_SZ);
    EXPECT_EQ(Load(), L"(no failure)");
    const auto before = DumpRegistry();
    window_ = FakeWindow{};
    EXPECT_EQ(Load(), L"(no failure)");
    EXPECT_EQ(DumpRegistry(), before);
    EXPECT_EQ(test::GetRaw(HKEY_LOCAL_MACHINE, kUninstall, L"UninstallString")->type,
              static_cast<DWORD>(REG_EXPAND_SZ));
}

TEST_F(CatalogueLoadTest, LaterRunsAppendAndChangeNothing) {
    Install();
    Buttons(L"2", {{0, L"Notepad"}, {2, L"Calc"}});
    EXPECT_EQ(Load(), L"(no failure)");
    const auto afterFirst = DumpRegistry();

    EXPECT_EQ(Load(), L"(no failure)");  // appends after what is there
    EXPECT_EQ(window_.names, (Texts{L"Notepad", L"Calc", L"Notepad", L"Calc"}));
    EXPECT_EQ(window_.numbers, (Texts{L"0", L"2", L"0", L"2"}));
    EXPECT_EQ(DumpRegistry(), afterFirst);

    // As an edit does: rename, empty the lists, load again.
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonNum2", L"電卓");
    window_.names.clear();
    window_.numbers.clear();
    EXPECT_EQ(Load(), L"(no failure)");
    EXPECT_EQ(window_.names, (Texts{L"Notepad", L"電卓"}));
    EXPECT_EQ(window_.numbers, (Texts{L"0", L"2"}));
}

// Every value the load reads, stored with a wrong type: the message, and
// what stands when the load has ended.
TEST_F(CatalogueLoadTest, WrongTypesEndTheLoadAtTheirStep) {
    enum class Stands { Nothing, LowerButtons, ListsFilled, AllButUninstall };
    const DWORD dword = 5;
    const unsigned long long qword = 5;
    const wchar_t multi[] = L"5\0";
    // Measured as the ANSI interface does: "2000" is five bytes, "12" three.
    const wchar_t text2000[] = L"2000";
    const wchar_t text12[] = L"12";
    const wchar_t text1[] = L"1";
    struct Raw {
        DWORD type;
        const void* data;
        DWORD size;
    };
    const Raw stringMisfits[] = {{REG_DWORD, &dword, 4},           {REG_QWORD, &qword, 8},
                                 {REG_BINARY, "5", 1},              {REG_MULTI_SZ, multi, sizeof multi},
                                 {REG_NONE, "5", 1},                {REG_DWORD_BIG_ENDIAN, &dword, 4}};
    const Raw nextIdTooLong[] = {{REG_QWORD, &qword, 8}, {REG_SZ, text2000, sizeof text2000}, {REG_BINARY, "12345", 5}};
    const Raw nextIdWrongType[] = {{REG_SZ, text1, sizeof text1},   {REG_SZ, text12, sizeof text12}, {REG_BINARY, &dword, 4},
                                   {REG_DWORD_BIG_ENDIAN, &dword, 4}, {REG_NONE, nullptr, 0},
                                   {REG_EXPAND_SZ, L"", 2}};

    struct Case {
        std::wstring key;
        HKEY root;
        std::wstring value;
        Raw raw;
        std::wstring message;
        Stands stands;
    };
    std::vector<Case> cases;
    const std::wstring typeMessage = L"のデータ型が不正です";
    for (const auto& r : nextIdTooLong)
        cases.push_back({kCmdMapping, HKEY_CURRENT_USER, L"NextId", r, L"'NextId' の取得に失敗しました", Stands::Nothing});
    for (const auto& r : nextIdWrongType)
        cases.push_back({kCmdMapping, HKEY_CURRENT_USER, L"NextId", r, L"'NextId' " + typeMessage, Stands::Nothing});
    for (const auto& r : stringMisfits) {
        cases.push_back({kCatalogue, HKEY_CURRENT_USER, L"ButtonDat", r, L"'ButtonDat' " + typeMessage, Stands::Nothing});
        cases.push_back({kCatalogue, HKEY_CURRENT_USER, L"ButtonNum2", r, L"'ButtonNum2' " + typeMessage,
                         Stands::LowerButtons});
        cases.push_back({kCatalogue, HKEY_CURRENT_USER, L"AppPath", r, L"'AppPath' " + typeMessage, Stands::ListsFilled});
        cases.push_back({kUninstall, HKEY_LOCAL_MACHINE, L"UninstallString", r, L"'UninstallString' " + typeMessage,
                         Stands::AllButUninstall});
    }

    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << testing::PrintToString(c.value) << " of type " << c.raw.type << ", "
                                        << c.raw.size << " bytes");
        test::ScratchRegistry inner;
        Install();
        SetDword(HKEY_CURRENT_USER, kCmdMapping, L"{00000000-0000-0000-0000-000000000000}", 20);
        Buttons(L"3", {{0, L"zero"}, {1, L"one"}, {2, L"two"}, {3, L"three"}});
        SetString(HKEY_LOCAL_MACHINE, kUninstall, L"UninstallString", L"old");
        SetRaw(c.root, c.key, c.value, c.raw.type, c.raw.data, c.raw.size);
        const auto before = DumpRegistry();
        window_ = FakeWindow{};

        EXPECT_EQ(Load(), c.message);

        const bool firstStartWritten = c.stands == Stands::ListsFilled || c.stands == Stands::AllButUninstall;
        EXPECT_EQ(UserDword(kCatalogue, L"NextIdDef"), firstStartWritten ? std::optional<std::uint32_t>(20u) : std::nullopt);
        EXPECT_EQ(UserDword(kCatalogue, L"CmdCount"), firstStartWritten ? std::optional<std::uint32_t>(2u) : std::nullopt);
        switch (c.stands) {
        case Stands::Nothing:
            EXPECT_TRUE(window_.names.empty());
            EXPECT_EQ(DumpRegistry(), before);
            break;
        case Stands::LowerButtons:
            EXPECT_EQ(window_.names, (Texts{L"zero", L"one"}));
            EXPECT_EQ(window_.numbers, (Texts{L"0", L"1"}));
            EXPECT_EQ(DumpRegistry(), before);
            break;
        case Stands::ListsFilled:
            EXPECT_EQ(window_.names.size(), 4u);
            EXPECT_EQ(window_.iconFolder, L"(unset)");
            break;
        case Stands::AllButUninstall:
            EXPECT_EQ(window_.names.size(), 4u);
            EXPECT_EQ(window_.iconFolder, kAppPath + L"icon");
            break;
        }
        EXPECT_EQ(window_.names.size(), window_.numbers.size());
        if (c.value != L"UninstallString") {
            EXPECT_EQ(test::GetString(HKEY_LOCAL_MACHINE, kUninstall, L"UninstallString"), L"old");
        }
    }
}

TEST_F(CatalogueLoadTest, CommandMappingKeyWithoutNextIdWritesNothing) {
    test::CreateKey(HKEY_CURRENT_USER, kCmdMapping);
    SetDword(HKEY_CURRENT_USER, kCmdMapping, L"other", 3);
    const auto before = DumpRegistry();
    EXPECT_EQ(Load(), L"'NextId' の取得に失敗しました");
    EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, kCatalogue));
    EXPECT_EQ(DumpRegistry(), before);
}

// AppPath at start-up, for the user who runs the program from `folder`.
TEST_F(CatalogueLoadTest, TheProgramRecordsItsFolderWhereAppPathNamesNoProgram) {
    test::TempFolder installed, running;
    test::WriteFileBytes(installed.File(L"Orbelune.exe"), {'M', 'Z'});
    const std::wstring folder = running.Path() + L"\\", elsewhere = installed.Path() + L"\\";
    const struct {
        const char* what;
        std::function<void()> before;
        std::wstring after;
    } cases[] = {
        {"absent", [] {}, folder},
        {"a folder without the program", [&] { SetString(HKEY_CURRENT_USER, kCatalogue, L"AppPath", kAppPath); },
         folder},
        {"of another type", [] { SetDword(HKEY_CURRENT_USER, kCatalogue, L"AppPath", 1); }, folder},
        {"another installation", [&] { SetString(HKEY_CURRENT_USER, kCatalogue, L"AppPath", elsewhere); },
         elsewhere},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::ScratchRegistry inner;
        c.before();
        EXPECT_EQ(FailureOf([&] { RecordProgramFolder(folder); }), L"(no failure)");
        EXPECT_EQ(UserString(kCatalogue, L"AppPath"), c.after);
    }
}

}  // namespace
}  // namespace orbelune
