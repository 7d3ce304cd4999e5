// The rules of creating, selecting, editing and deleting buttons, on the
// Wine registry through a form without a window; the boxes are recorded and
// the questions answered by the test.
#include "app/window.h"
#include "store/button_entry.h"
#include "store/button_operations.h"
#include "store/fake_button_form.h"
#include "store/stored_buttons.h"
#include "support/gui.h"

#include <cstring>
#include <functional>
#include <memory>

namespace orbelune {
namespace {

using namespace test;

class ButtonRulesTest : public testing::Test, public ButtonFormChecks {
protected:
    ButtonForm& Form() override { return *form_; }
    const std::vector<RecordedBox>& Boxes() override { return boxes_; }

    ButtonRulesTest() {
        // A failure that ends an operation goes to the failure box, as in
        // the window's handlers.
        SetBoxAnswerer([this](BoxKind kind, const std::wstring& text) {
            boxes_.push_back({kind, text});
            return BoxResult::None;
        });
    }
    ~ButtonRulesTest() override { SetBoxAnswerer(nullptr); }

    void SetUp() override {
        WriteFileBytes(icon_, IconFileBytes(32, RGB(255, 0, 0)));
        WriteFileBytes(hotIcon_, IconFileBytes(32, RGB(0, 0, 255)));
        SetString(HKEY_CURRENT_USER, kCatalogue, L"AppPath", L"D:\\Tools\\Buttons\\");
    }

    // A new form, filled by the catalogue load as at start-up.
    void Start() {
        form_ = std::make_unique<FakeButtonForm>(user_);
        Run(LoadCatalogue);
    }
    template <typename Operation>
    void Run(Operation operation) {
        RunHandler([&] { operation(*form_); });
    }
    void Create() { Run(CreateButton); }
    void Edit() { Run(EditButton); }
    void Delete() { Run(DeleteButton); }
    void SelectRow(int row) {
        form_->Select(row);
        Run(SelectButton);
    }
    void UntickHotIcon() { form_->ToggleSameAsIcon(); }
    // Answers for the coming questions, in order; the default is Yes.
    void Answer(std::initializer_list<BoxResult> answers) {
        user_.answers.insert(user_.answers.end(), answers);
    }

    std::wstring T(Field field) { return form_->FieldText(field); }
    // A catalogue of buttons with this test's icon.
    void Catalogue(const std::wstring& buttonDat, std::optional<std::uint32_t> nextId,
                   std::initializer_list<Stored> buttons) {
        StoredCatalogue(buttonDat, nextId, buttons, icon_);
    }

    ScratchRegistry scratch_;
    TempFolder folder_;
    std::wstring icon_ = folder_.File(L"note.ico");
    std::wstring hotIcon_ = folder_.File(L"hot.ico");
    RecordingPrompts user_;
    std::vector<RecordedBox>& boxes_ = user_.boxes;
    std::unique_ptr<FakeButtonForm> form_;
};

TEST_F(ButtonRulesTest, NextNumberFollowsButtonDat) {
    for (auto [buttonDat, number] : {std::pair{L"9", 10}, std::pair{L"007", 8}, std::pair{L"", 0}}) {
        SCOPED_TRACE(Utf8(buttonDat));
        ScratchRegistry inner;
        SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", buttonDat);
        Start();
        Fill(L"n", L"x", icon_);
        Create();
        EXPECT_EQ(UserString(kCatalogue, L"ButtonDat"), std::to_wstring(number));
        EXPECT_EQ(UserString(kCatalogue, L"ButtonNum" + std::to_wstring(number)), L"n");
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, ExtKey(number)));
        EXPECT_EQ(Numbers().back(), std::to_wstring(number));
    }
}

// A catalogue edited outside the program: ButtonDat emptied or lowered while
// buttons remain. No button is overwritten; the new one goes above them all.
TEST_F(ButtonRulesTest, CreateNeverOverwritesAButton) {
    for (const wchar_t* buttonDat : {L"", L"-1"}) {
        SCOPED_TRACE(Utf8(buttonDat));
        ScratchRegistry inner;
        SetString(HKEY_CURRENT_USER, kCatalogue, L"AppPath", L"D:\\Tools\\Buttons\\");
        Catalogue(buttonDat, 30, {{0, L"zero", 20}, {3, L"three", 23, hotIcon_}});
        Start();
        Fill(L"new", L"new.exe", icon_);
        Create();
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
    }
}

// Other programs read these values through either interface: each text is
// stored with its terminating zero, (characters + 1) x 2 bytes.
TEST_F(ButtonRulesTest, WrittenTextsEndWithTheirTerminatingZero) {
    SetDword(HKEY_CURRENT_USER, kCmdMapping, L"NextId", 20);
    Start();
    UntickHotIcon();
    Fill(L"電卓ソ", L"C:\\表示\\calc.exe", icon_);
    form_->SetFieldText(Field::HotIcon, hotIcon_);
    Create();
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
        SCOPED_TRACE(Utf8(w.name));
        const auto raw = GetRaw(HKEY_CURRENT_USER, w.key, w.name);
        ASSERT_TRUE(raw);
        EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
        std::wstring stored(raw->data.size() / sizeof(wchar_t), L'?');
        std::memcpy(stored.data(), raw->data.data(), stored.size() * sizeof(wchar_t));
        EXPECT_EQ(raw->data.size(), (w.text.size() + 1) * sizeof(wchar_t));
        EXPECT_EQ(stored, w.text + L'\0');
    }
}

TEST_F(ButtonRulesTest, GapsAreNotFilledAgain) {
    Start();
    for (const wchar_t* name : {L"a", L"b", L"c", L"d"}) {
        Fill(name, L"x", icon_);
        Create();
    }
    SelectRow(1);
    Delete();
    Fill(L"e", L"x", icon_);
    Create();
    EXPECT_EQ(Numbers(), (Texts{L"0", L"2", L"3", L"4"}));
    EXPECT_EQ(Names(), (Texts{L"a", L"c", L"d", L"e"}));
    // A new start lists the same.
    Start();
    EXPECT_EQ(Numbers(), (Texts{L"0", L"2", L"3", L"4"}));
}

TEST_F(ButtonRulesTest, MissingIconFilesAreAskedAbout) {
    const std::wstring missing = folder_.File(L"missing.ico");
    const std::wstring iconQuestion = L"アイコンに存在しないファイルが選択されています。そのまま続けますか？";
    const std::wstring hotQuestion = L"ホットアイコンに存在しないファイルが選択されています。そのまま続けますか？";
    Start();
    UntickHotIcon();

    // Both questions about the same path; Yes and Cancel (the close box) go on.
    Fill(L"a", L"x", missing);
    Answer({BoxResult::Yes, BoxResult::Cancel});
    Create();
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
        form_->SetFieldText(Field::HotIcon, L"");
        Fill(L"b", L"x", missing);
        for (auto a : answers) Answer({a});
        Create();
        EXPECT_EQ(boxes_.size(), answers.size());
        EXPECT_EQ(DumpRegistry(), before);
        EXPECT_EQ(Names(), names);
        EXPECT_EQ(T(Field::Name), L"b");
        EXPECT_EQ(T(Field::Icon), missing);
        EXPECT_EQ(T(Field::HotIcon), missing);
    }

    // A folder is no icon file.
    boxes_.clear();
    Fill(L"c", L"x", folder_.Path());
    form_->SetFieldText(Field::HotIcon, hotIcon_);
    Answer({BoxResult::No});
    Create();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, iconQuestion);
}

TEST_F(ButtonRulesTest, EmptyFieldsAndDuplicateNames) {
    Start();
    const auto before = DumpRegistry();
    for (Field empty : {Field::Name, Field::LinkTarget, Field::Icon}) {
        boxes_.clear();
        Fill(L"n", L"x", icon_);
        form_->SetFieldText(empty, L"");
        Create();
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].kind, BoxKind::Information);
        EXPECT_EQ(boxes_[0].text, L"空白の項目があります");
        EXPECT_EQ(DumpRegistry(), before);
    }
    boxes_.clear();
    Fill(L" ", L" ", icon_);  // blanks are text
    Create();
    Fill(L"same", L"x", icon_);
    Create();
    Fill(L"same", L"y", icon_);
    Create();
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(Names(), (Texts{L" ", L"same", L"same"}));
    EXPECT_EQ(Numbers(), (Texts{L"0", L"1", L"2"}));
}

TEST_F(ButtonRulesTest, CreateFailures) {
    const auto fieldsKept = [&] {
        EXPECT_EQ(T(Field::Name), L"new");
        EXPECT_EQ(T(Field::Icon), icon_);
    };
    {
        SCOPED_TRACE("ButtonDat abc");
        ScratchRegistry inner;
        SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"1");
        SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonNum0", L"old");
        SetDword(HKEY_CURRENT_USER, kCmdMapping, L"NextId", 5);
        Start();
        SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"abc");
        const auto before = DumpRegistry();
        Fill(L"new", L"x", icon_);
        Create();
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].kind, BoxKind::Failure);
        EXPECT_EQ(boxes_[0].text, L"'abc' は整数ではありません.");
        EXPECT_EQ(DumpRegistry(), before);
        EXPECT_EQ(Names(), (Texts{L"old"}));
        fieldsKept();
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
        ScratchRegistry inner;
        SetDword(HKEY_CURRENT_USER, kCmdMapping, L"other", 1);
        SetDword(HKEY_CURRENT_USER, kCmdMapping, L"NextId", 5);
        SetString(HKEY_CURRENT_USER, kCatalogue, L"NextIdDef", L"");  // the load has run before
        Start();
        DeleteValue(HKEY_CURRENT_USER, kCmdMapping, L"NextId");
        if (c.text)
            SetString(HKEY_CURRENT_USER, kCmdMapping, L"NextId", c.text);
        else if (c.withNextId)
            SetRaw(HKEY_CURRENT_USER, kCmdMapping, L"NextId", c.type, &four, 4);
        boxes_.clear();
        Fill(L"new", L"x", icon_);
        Create();
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].text, c.message);
        // Written before the failure, and shown in both lists.
        EXPECT_EQ(UserString(kCatalogue, L"ButtonDat"), L"0");
        EXPECT_EQ(UserString(kCatalogue, L"ButtonNum0"), L"new");
        EXPECT_EQ(Names(), (Texts{L"new"}));
        EXPECT_EQ(Numbers(), (Texts{L"0"}));
        // Not written after it.
        EXPECT_FALSE(UserDword(kCmdMapping, Id(0)).has_value());
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, ExtKey(0)));
        fieldsKept();
    }
}

TEST_F(ButtonRulesTest, WithoutTheCommandMappingKeyTheButtonGetsNoCommandNumber) {
    Start();
    Fill(L"n", L"x", icon_);
    Create();
    EXPECT_TRUE(boxes_.empty());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kCmdMapping));  // never created
    ExpectExtension(0, L"n", L"x", icon_, icon_);
    EXPECT_EQ(Names(), (Texts{L"n"}));
}

// A create that can give out no number writes nothing and keeps the
// fields: without the catalogue key, or past the highest number.
TEST_F(ButtonRulesTest, CreateWithoutANumberWritesNothing) {
    const std::pair<std::function<void()>, const wchar_t*> cases[] = {
        {[] { DeleteKeyTree(HKEY_CURRENT_USER, kCatalogue); },
         L"ボタン一覧のレジストリキーを開けません。ボタンは作成されませんでした。"},
        {[] { SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"2147483647"); },
         L"ボタン番号が上限に達しました。ボタンは作成されませんでした。"},
    };
    for (const auto& [change, error] : cases) {
        ScratchRegistry inner;
        SetDword(HKEY_CURRENT_USER, kCmdMapping, L"NextId", 5);
        boxes_.clear();
        Start();
        change();
        const auto before = DumpRegistry();
        Fill(L"new", L"x", icon_);
        Create();
        ASSERT_EQ(Kinds(), std::vector<BoxKind>{BoxKind::Error});
        EXPECT_EQ(boxes_[0].text, error);
        EXPECT_EQ(DumpRegistry(), before);  // in particular no button's keys
        EXPECT_TRUE(Names().empty());
        EXPECT_EQ(T(Field::Name), L"new");
    }
}

TEST_F(ButtonRulesTest, SelectingAMistypedValueFails) {
    Catalogue(L"0", std::nullopt, {{0, L"zero"}});
    SetDword(HKEY_CURRENT_USER, ExtKey(0), L"Exec", 1);
    Start();
    form_->SetFieldText(Field::LinkTarget, L"before");
    SelectRow(0);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"'Exec' のデータ型が不正です.");
    EXPECT_EQ(T(Field::Name), L"zero");  // set before the failure
    EXPECT_EQ(T(Field::LinkTarget), L"before");
    EXPECT_EQ(form_->CurrentButtonNumber(), L"00000000");
}

TEST_F(ButtonRulesTest, EditRewritesTheButtonAndReloadsTheLists) {
    Catalogue(L"13", 40, {{2, L"two"}, {12, L"twelve", 33}, {13, L"thirteen"}});
    Start();

    // Before any selection: the error box, after the empty-field check.
    Fill(L"", L"x", icon_);
    Edit();
    Fill(L"n", L"x", icon_);
    Edit();
    ASSERT_EQ(Kinds(), (std::vector<BoxKind>{BoxKind::Information, BoxKind::Error}));
    EXPECT_EQ(boxes_[1].text, L"編集ファイルが選択されていません");

    boxes_.clear();
    SelectRow(1);
    const auto mapping = ValueNames(HKEY_CURRENT_USER, kCmdMapping);
    form_->SetFieldText(Field::Name, L"十二");
    form_->SetFieldText(Field::LinkTarget, L"D:\\new.exe");
    UntickHotIcon();
    form_->SetFieldText(Field::HotIcon, hotIcon_);
    Edit();
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(UserString(kCatalogue, L"ButtonNum12"), L"十二");
    ExpectExtension(12, L"十二", L"D:\\new.exe", icon_, hotIcon_);
    EXPECT_EQ(Names(), (Texts{L"two", L"十二", L"thirteen"}));
    EXPECT_EQ(Numbers(), (Texts{L"2", L"12", L"13"}));
    EXPECT_EQ(form_->SelectedIndex(), -1);
    ExpectFieldsCleared();
    // The command mapping is never touched.
    EXPECT_EQ(ValueNames(HKEY_CURRENT_USER, kCmdMapping), mapping);
    EXPECT_EQ(UserDword(kCmdMapping, Id(12)), 33u);
    EXPECT_EQ(UserDword(kCmdMapping, L"NextId"), 40u);
    EXPECT_EQ(UserString(kCatalogue, L"ButtonDat"), L"13");

    // A button made next stands at the same index in both lists.
    Fill(L"new", L"x", icon_);
    form_->SetFieldText(Field::HotIcon, L"");
    Create();
    EXPECT_EQ(Names().back(), L"new");
    EXPECT_EQ(Numbers().back(), L"14");
    EXPECT_EQ(Names().size(), Numbers().size());
}

TEST_F(ButtonRulesTest, EditOfAButtonWithoutExtensionKeyMakesIt) {
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"0");
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonNum0", L"orphan");
    Start();
    SelectRow(0);
    Fill(L"found", L"x", icon_);
    Edit();
    ExpectExtension(0, L"found", L"x", icon_, icon_);
    EXPECT_EQ(Names(), (Texts{L"found"}));
    // With the catalogue key gone meanwhile, no new one takes the name.
    SelectRow(0);
    DeleteKeyTree(HKEY_CURRENT_USER, kCatalogue);
    Fill(L"again", L"x", icon_);
    Edit();
    EXPECT_FALSE(UserString(kCatalogue, L"ButtonNum0").has_value());
}

TEST_F(ButtonRulesTest, DeleteOneOfSeveralKeepsCountersAndLists) {
    Catalogue(L"12", 50, {{0, L"b0", 40}, {5, L"b5", 45}, {12, L"b12", 52}});
    SetString(HKEY_CURRENT_USER, ExtKey(12) + L"\\Sub\\Deeper", L"v", L"x");
    Start();
    SelectRow(2);
    Delete();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, ExtKey(12)));
    EXPECT_FALSE(UserDword(kCmdMapping, Id(12)).has_value());
    EXPECT_FALSE(UserString(kCatalogue, L"ButtonNum12").has_value());
    EXPECT_EQ(UserString(kCatalogue, L"ButtonDat"), L"12");
    EXPECT_EQ(UserDword(kCmdMapping, L"NextId"), 50u);
    EXPECT_EQ(Names(), (Texts{L"b0", L"b5"}));
    EXPECT_EQ(Numbers(), (Texts{L"0", L"5"}));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, ExtKey(5)));
    EXPECT_EQ(T(Field::HotIcon), L"アイコンと同じ");  // ticked: stays after the delete
}

TEST_F(ButtonRulesTest, DeleteWithTheCatalogueKeyGone) {
    Catalogue(L"0", 50, {{0, L"zero", 40}});
    Start();
    SelectRow(0);
    DeleteKeyTree(HKEY_CURRENT_USER, kCatalogue);
    Delete();
    EXPECT_TRUE(boxes_.empty());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, ExtKey(0)));
    EXPECT_FALSE(UserDword(kCmdMapping, Id(0)).has_value());
    EXPECT_EQ(Names(), (Texts{L"zero"}));  // the lists keep the entry
    EXPECT_EQ(UserDword(kCmdMapping, L"NextId"), 50u);
    ExpectFieldsCleared();
}

TEST_F(ButtonRulesTest, DeleteWithNextIdDefMissing) {
    Catalogue(L"0", 50, {{0, L"zero", 40}});
    Start();
    DeleteValue(HKEY_CURRENT_USER, kCatalogue, L"NextIdDef");
    SelectRow(0);
    Delete();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"'NextIdDef' の取得に失敗しました.");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, ExtKey(0)));
    EXPECT_FALSE(UserDword(kCmdMapping, Id(0)).has_value());
    EXPECT_FALSE(UserString(kCatalogue, L"ButtonNum0").has_value());
    EXPECT_EQ(UserString(kCatalogue, L"ButtonDat"), L"0");
    EXPECT_EQ(Names(), (Texts{L"zero"}));
    EXPECT_EQ(Numbers(), (Texts{L"0"}));
    EXPECT_EQ(T(Field::Name), L"zero");  // the fields keep their text
    EXPECT_EQ(UserDword(kCmdMapping, L"NextId"), 50u);
}

}  // namespace
}  // namespace orbelune
