#include "platform/registry.h"

#include "support/failure_matchers.h"
#include "support/scratch_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace orbelune {
namespace {

using test::FailureOf;
using test::GetRaw;
using test::KeyExists;
using test::SetDword;
using test::SetRaw;
using test::SetString;

const std::wstring kKey = L"\\Software\\RegistryTest";

class RegistryTest : public testing::Test {
protected:
    test::ScratchRegistry scratch_;
    Registry registry_;

    void OpenTestKey() { ASSERT_TRUE(registry_.OpenKey(kKey, true)); }
};

TEST_F(RegistryTest, OpenKeyCreatesOnlyWhenAsked) {
    EXPECT_FALSE(registry_.OpenKey(kKey, false));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kKey));
    EXPECT_TRUE(registry_.OpenKey(kKey, true));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kKey));
    EXPECT_TRUE(registry_.OpenKey(kKey, false));
}

TEST_F(RegistryTest, RelativePathsStartAtTheOpenKeyOrTheRoot) {
    test::CreateKey(HKEY_CURRENT_USER, kKey + L"\\Child");
    SetString(HKEY_CURRENT_USER, kKey + L"\\Child", L"where", L"child");
    SetString(HKEY_CURRENT_USER, L"\\Child", L"where", L"root child");

    ASSERT_TRUE(registry_.OpenKey(L"Child", false));  // no key open: from the root
    EXPECT_EQ(registry_.ReadString(L"where"), L"root child");

    ASSERT_TRUE(registry_.OpenKey(kKey, false));
    ASSERT_TRUE(registry_.OpenKey(L"Child", false));  // below the open key
    EXPECT_EQ(registry_.ReadString(L"where"), L"child");
}

TEST_F(RegistryTest, FailedOpenKeepsTheOpenKey) {
    SetString(HKEY_CURRENT_USER, kKey, L"v", L"kept");
    ASSERT_TRUE(registry_.OpenKey(kKey, false));
    EXPECT_FALSE(registry_.OpenKey(L"\\Software\\Absent", false));
    EXPECT_EQ(registry_.ReadString(L"v"), L"kept");
}

TEST_F(RegistryTest, SetRootSwitchesHiveAndClosesTheKey) {
    SetString(HKEY_LOCAL_MACHINE, kKey, L"hive", L"machine");
    SetString(HKEY_CURRENT_USER, kKey, L"hive", L"user");
    ASSERT_TRUE(registry_.OpenKey(kKey, false));
    registry_.SetRoot(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(registry_.HasOpenKey());
    ASSERT_TRUE(registry_.OpenKey(kKey, false));
    EXPECT_EQ(registry_.ReadString(L"hive"), L"machine");
}

TEST_F(RegistryTest, ReadStringTakesBothStringTypesUpToTheFirstZero) {
    SetString(HKEY_CURRENT_USER, kKey, L"sz", L"日本語ソ表");
    SetString(HKEY_CURRENT_USER, kKey, L"expand", L"%WINDIR%\\x", REG_EXPAND_SZ);
    const wchar_t embedded[] = L"ab\0cd";
    SetRaw(HKEY_CURRENT_USER, kKey, L"embedded", REG_SZ, embedded, sizeof embedded);
    const wchar_t unterminated[] = {L'x', L'y'};
    SetRaw(HKEY_CURRENT_USER, kKey, L"unterminated", REG_SZ, unterminated, sizeof unterminated);
    const BYTE odd[] = {'A', 0, 'B'};
    SetRaw(HKEY_CURRENT_USER, kKey, L"odd", REG_SZ, odd, sizeof odd);
    SetRaw(HKEY_CURRENT_USER, kKey, L"empty binary", REG_BINARY, nullptr, 0);
    OpenTestKey();

    EXPECT_EQ(registry_.ReadString(L"sz"), L"日本語ソ表");
    EXPECT_EQ(registry_.ReadString(L"expand"), L"%WINDIR%\\x");  // not expanded
    EXPECT_EQ(registry_.ReadString(L"embedded"), L"ab");
    EXPECT_EQ(registry_.ReadString(L"unterminated"), L"xy");
    EXPECT_EQ(registry_.ReadString(L"odd"), std::wstring(L"A") + static_cast<wchar_t>('B'));
    EXPECT_EQ(registry_.ReadString(L"absent"), L"");
    EXPECT_EQ(registry_.ReadString(L"empty binary"), L"");  // a value without data reads as empty
}

TEST_F(RegistryTest, ReadStringRefusesOtherTypes) {
    const DWORD four = 4;
    const unsigned long long eight = 8;
    const wchar_t multi[] = L"a\0b\0";
    SetRaw(HKEY_CURRENT_USER, kKey, L"dword", REG_DWORD, &four, sizeof four);
    SetRaw(HKEY_CURRENT_USER, kKey, L"qword", REG_QWORD, &eight, sizeof eight);
    SetRaw(HKEY_CURRENT_USER, kKey, L"binary", REG_BINARY, "ab", 2);
    SetRaw(HKEY_CURRENT_USER, kKey, L"multi", REG_MULTI_SZ, multi, sizeof multi);
    SetRaw(HKEY_CURRENT_USER, kKey, L"none", REG_NONE, "x", 1);
    SetRaw(HKEY_CURRENT_USER, kKey, L"big", REG_DWORD_BIG_ENDIAN, &four, sizeof four);
    OpenTestKey();
    for (const wchar_t* name : {L"dword", L"qword", L"binary", L"multi", L"none", L"big"}) {
        EXPECT_EQ(FailureOf([&] { registry_.ReadString(name); }), std::wstring(L"'") + name + L"' のデータ型が不正です");
    }
}

TEST_F(RegistryTest, ReadIntegerTakesOnlyDwordsOfAtMostFourBytes) {
    SetDword(HKEY_CURRENT_USER, kKey, L"n", 0xFFFFFFFEu);
    SetRaw(HKEY_CURRENT_USER, kKey, L"three", REG_DWORD, "\x01\x02\x03", 3);
    OpenTestKey();
    EXPECT_EQ(registry_.ReadInteger(L"n"), -2);
    EXPECT_EQ(registry_.ReadInteger(L"three"), 0x030201);
}

// Lengths as an 8-bit program reading the value through the ANSI interface
// sees them: text in code page 932 with its terminator, other data as stored.
TEST_F(RegistryTest, ReadIntegerMeasuresDataAsTheAnsiInterfaceDoes) {
    const std::wstring got = L"'NextId' の取得に失敗しました";
    const std::wstring type = L"'NextId' のデータ型が不正です";
    const auto text = [](std::wstring_view t) {  // stored with its terminating zero, as Windows stores text
        std::vector<BYTE> bytes((t.size() + 1) * sizeof(wchar_t), 0);
        std::memcpy(bytes.data(), t.data(), t.size() * sizeof(wchar_t));
        return bytes;
    };
    const struct {
        const char* what;
        DWORD type;  // REG_NONE with no data: the value is absent
        std::vector<BYTE> data;
        const std::wstring& message;
    } cases[] = {
        {"absent", REG_NONE, {}, got},
        {"\"2\": 2 bytes", REG_SZ, text(L"2"), type},
        {"\"20\": 3 bytes", REG_SZ, text(L"20"), type},
        {"\"200\": 4 bytes", REG_SZ, text(L"200"), type},
        {"\"2000\": 5 bytes", REG_SZ, text(L"2000"), got},
        {"half-width kana: 1 byte each", REG_SZ, text(L"ｱｲｳ"), type},
        {"kanji: 2 bytes each", REG_EXPAND_SZ, text(L"ｱ日"), type},
        {"kanji: 2 bytes each, 5 in all", REG_SZ, text(L"日本"), got},
        {"multi-string: 3 bytes", REG_MULTI_SZ, text(std::wstring_view(L"2\0", 2)), type},
        {"multi-string: 5 bytes", REG_MULTI_SZ, text(std::wstring_view(L"20\0\0", 4)), got},
        {"binary of 3 bytes", REG_BINARY, {1, 2, 3}, type},
        {"binary of 4 bytes", REG_BINARY, {1, 2, 3, 4}, type},
        {"binary of 5 bytes", REG_BINARY, {1, 2, 3, 4, 5}, got},
        {"qword", REG_QWORD, {8, 0, 0, 0, 0, 0, 0, 0}, got},
        {"big-endian dword", REG_DWORD_BIG_ENDIAN, {0, 0, 0, 4}, type},
        {"none with data", REG_NONE, {1}, type},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::ScratchRegistry inner;
        Registry registry;
        if (c.type != REG_NONE || !c.data.empty())
            SetRaw(HKEY_CURRENT_USER, kKey, L"NextId", c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        else
            test::CreateKey(HKEY_CURRENT_USER, kKey);
        ASSERT_TRUE(registry.OpenKey(kKey, false));
        EXPECT_EQ(FailureOf([&] { registry.ReadInteger(L"NextId"); }), c.message);
    }
}

TEST_F(RegistryTest, WritesStoreTheirOwnTypeAndReplaceOtherTypes) {
    SetDword(HKEY_CURRENT_USER, kKey, L"was dword", 1);
    SetString(HKEY_CURRENT_USER, kKey, L"was text", L"x");
    OpenTestKey();
    registry_.WriteString(L"was dword", L"アイコン");
    registry_.WriteInteger(L"was text", -1);

    const auto text = GetRaw(HKEY_CURRENT_USER, kKey, L"was dword");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->type, static_cast<DWORD>(REG_SZ));
    ASSERT_EQ(text->data.size(), 10u);  // four characters and the terminating zero
    EXPECT_EQ(text->data[8], 0);
    EXPECT_EQ(text->data[9], 0);
    const auto number = GetRaw(HKEY_CURRENT_USER, kKey, L"was text");
    ASSERT_TRUE(number);
    EXPECT_EQ(number->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(test::UserDword(kKey, L"was text"), 0xFFFFFFFFu);
}

TEST_F(RegistryTest, RefusedWritesFail) {
    // No key open: nothing to write into.
    EXPECT_EQ(FailureOf([&] { registry_.WriteString(L"NextIdDef", L"x"); }), L"'NextIdDef' の設定に失敗しました");
    EXPECT_EQ(FailureOf([&] { registry_.WriteInteger(L"CmdCount", 1); }), L"'CmdCount' の設定に失敗しました");
}

TEST_F(RegistryTest, ValueNamesIncludeTheUnnamedValue) {
    SetString(HKEY_CURRENT_USER, kKey, L"", L"default");
    SetDword(HKEY_CURRENT_USER, kKey, L"NextId", 20);
    SetDword(HKEY_CURRENT_USER, kKey, L"{00000000-0000-0000-0000-000000000000}", 20);
    OpenTestKey();
    auto names = registry_.ValueNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"", L"NextId", L"{00000000-0000-0000-0000-000000000000}"}));
    EXPECT_TRUE(registry_.ValueExists(L""));
    EXPECT_TRUE(registry_.ValueExists(L"nextid"));  // names compare without letter case
    EXPECT_FALSE(registry_.ValueExists(L"Absent"));
}

TEST_F(RegistryTest, ValuesCarryTypeAndData) {
    SetString(HKEY_CURRENT_USER, kKey, L"", L"d");
    SetDword(HKEY_CURRENT_USER, kKey, L"n", 7);
    OpenTestKey();
    auto values = registry_.Values();
    ASSERT_EQ(values.size(), 2u);
    std::sort(values.begin(), values.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    EXPECT_EQ(values[0].name, L"");
    EXPECT_EQ(values[0].type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(StringValueText(L"", values[0].type, values[0].data.data(), values[0].data.size()), L"d");
    EXPECT_EQ(values[1].name, L"n");
    EXPECT_EQ(values[1].data, (std::vector<BYTE>{7, 0, 0, 0}));
    EXPECT_EQ(FailureOf([&] { StringValueText(L"ButtonNum1", values[1].type, values[1].data.data(), 4); }),
              L"'ButtonNum1' のデータ型が不正です");
}

TEST_F(RegistryTest, DeleteKeyRemovesEverythingBeneath) {
    const std::wstring ext = L"\\Software\\Microsoft\\Internet Explorer\\Extensions";
    const std::wstring button = ext + L"\\{00000012-0000-0000-0000-000000000000}";
    SetString(HKEY_CURRENT_USER, button, L"ButtonText", L"x");
    SetString(HKEY_CURRENT_USER, button + L"\\a\\b\\c", L"v", L"x");
    SetString(HKEY_CURRENT_USER, button + L"\\a\\d", L"v", L"x");
    SetString(HKEY_CURRENT_USER, button + L"\\e", L"v", L"x");
    SetString(HKEY_CURRENT_USER, ext + L"\\{00000013-0000-0000-0000-000000000000}", L"v", L"x");

    ASSERT_TRUE(registry_.OpenKey(ext, false));
    EXPECT_TRUE(registry_.DeleteKey(L"{00000012-0000-0000-0000-000000000000}"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, button));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, ext + L"\\{00000013-0000-0000-0000-000000000000}"));
    EXPECT_FALSE(registry_.DeleteKey(L"{00000012-0000-0000-0000-000000000000}"));
    EXPECT_FALSE(registry_.DeleteKey(L""));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, ext));
}

TEST_F(RegistryTest, DeleteValueSaysWhetherItWasThere) {
    SetDword(HKEY_CURRENT_USER, kKey, L"v", 1);
    OpenTestKey();
    EXPECT_TRUE(registry_.DeleteValue(L"v"));
    EXPECT_FALSE(registry_.DeleteValue(L"v"));
    EXPECT_FALSE(registry_.ValueExists(L"v"));
}

}  // namespace
}  // namespace orbelune
