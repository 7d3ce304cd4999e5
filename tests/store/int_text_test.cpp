#include "store/int_text.h"

#include "platform/failure.h"

#include <gtest/gtest.h>

namespace orbelune {
namespace {

TEST(IntText, AcceptsDecimalWithBlanksSignsAndLeadingZeros) {
    const struct {
        const wchar_t* text;
        std::int32_t value;
    } cases[] = {
        {L"0", 0},           {L"9", 9},           {L"007", 7},         {L"00000012", 12},
        {L"  42", 42},       {L"+5", 5},          {L"-5", -5},         {L" -0", 0},
        {L"2147483647", 2147483647},              {L"-2147483648", INT32_MIN},
        {L"2147483646", 2147483646},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "text " << testing::PrintToString(std::wstring(c.text)));
        EXPECT_EQ(TryTextToInt(c.text), c.value);
    }
}

TEST(IntText, AcceptsHexadecimalAfterDollarOrZeroX) {
    EXPECT_EQ(TryTextToInt(L"$10"), 16);
    EXPECT_EQ(TryTextToInt(L"$ff"), 255);
    EXPECT_EQ(TryTextToInt(L"0x1A"), 26);
    EXPECT_EQ(TryTextToInt(L"0X1a"), 26);
    EXPECT_EQ(TryTextToInt(L"-$10"), -16);
    EXPECT_EQ(TryTextToInt(L" $7FFFFFFF"), 2147483647);
    EXPECT_EQ(TryTextToInt(L"-$80000000"), INT32_MIN);
}

TEST(IntText, RefusesEverythingElse) {
    for (const wchar_t* text :
         {L"", L" ", L"abc", L"1a", L"12 ", L"- 5", L"+-5", L"--5", L"+", L"-", L"$", L"0x", L"$g", L"1.5",
          L"2147483648", L"-2147483649", L"99999999999999999999", L"$80000000", L"$FFFFFFFF", L"１２", L"\t5",
          L"0x-5", L"5\u3000"}) {
        SCOPED_TRACE(testing::Message() << "text " << testing::PrintToString(std::wstring(text)));
        EXPECT_FALSE(TryTextToInt(text).has_value());
    }
}

TEST(IntText, FailureNamesTheText) {
    try {
        TextToInt(L"abc");
        FAIL() << "no failure";
    } catch (const Failure& f) {
        EXPECT_EQ(f.Message(), L"'abc' は整数ではありません");
    }
    try {
        TextToInt(L"");
        FAIL() << "no failure";
    } catch (const Failure& f) {
        EXPECT_EQ(f.Message(), L"'' は整数ではありません");
    }
}

TEST(IntText, WritesPlainDecimal) {
    EXPECT_EQ(IntToText(0), L"0");
    EXPECT_EQ(IntToText(12), L"12");
    EXPECT_EQ(IntToText(-7), L"-7");
    EXPECT_EQ(IntToText(INT32_MIN), L"-2147483648");
    EXPECT_EQ(IntToText(TextToInt(L"007") + 1), L"8");
}

}  // namespace
}  // namespace orbelune
