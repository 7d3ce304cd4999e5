#include "store/catalogue_scan.h"

#include <gtest/gtest.h>

namespace orbelune {
namespace {

TEST(CatalogueScan, NamesThatAreButtonNumbers) {
    EXPECT_EQ(ButtonNumberOfValueName(L"ButtonNum0"), 0);
    EXPECT_EQ(ButtonNumberOfValueName(L"ButtonNum12"), 12);
    EXPECT_EQ(ButtonNumberOfValueName(L"buttonnum3"), 3);  // the registry ignores letter case
    EXPECT_EQ(ButtonNumberOfValueName(L"BUTTONNUM2147483647"), 2147483647);
    for (const wchar_t* name : {L"ButtonNum", L"ButtonNum00", L"ButtonNum012", L"ButtonNum-1", L"ButtonNum+1",
                                L"ButtonNum 1", L"ButtonNum1 ", L"ButtonNum2147483648", L"ButtonNumx",
                                L"ButtonDat", L"NextIdDef", L"", L"XButtonNum1", L"ButtonNum１"}) {
        SCOPED_TRACE(testing::Message() << testing::PrintToString(std::wstring(name)));
        EXPECT_FALSE(ButtonNumberOfValueName(name).has_value());
    }
}

// The listing must give exactly what asking for each name from 0 to top would.
TEST(CatalogueScan, SameNumbersAsTheStepByStepScan) {
    const std::vector<std::wstring_view> names = {L"ButtonDat", L"ButtonNum3", L"AppPath", L"ButtonNum0",
                                             L"buttonNUM1", L"ButtonNum7", L"ButtonNum03", L"NextIdDef",
                                             L"",           L"ButtonNum10"};
    for (std::int32_t top : {-5, -1, 0, 1, 2, 3, 6, 7, 9, 10, 11, 100}) {
        std::vector<std::int32_t> expected;
        for (std::int32_t n = 0; n <= top; ++n) {
            const std::wstring wanted = L"buttonnum" + std::to_wstring(n);
            for (const auto& name : names) {
                std::wstring lower;
                for (wchar_t c : name) lower += static_cast<wchar_t>(c >= L'A' && c <= L'Z' ? c + 32 : c);
                if (lower == wanted) expected.push_back(n);
            }
        }
        SCOPED_TRACE(testing::Message() << "top " << top);
        std::vector<std::int32_t> got;
        for (const auto& button : PresentButtons(names, top)) {
            got.push_back(button.number);
            EXPECT_EQ(ButtonNumberOfValueName(names[button.index]), button.number);
        }
        EXPECT_EQ(got, expected);
    }
}

TEST(CatalogueScan, HighestTopDoesNotOverflow) {
    const std::vector<std::wstring_view> names = {L"ButtonNum2147483647", L"ButtonNum5"};
    const auto all = PresentButtons(names, 2147483647);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].number, 5);
    EXPECT_EQ(all[0].index, 1u);
    EXPECT_EQ(all[1].number, 2147483647);
    EXPECT_EQ(PresentButtons(names, 2147483646).size(), 1u);
}

TEST(CatalogueScan, HighestButtonNumber) {
    EXPECT_EQ(HighestButtonNumber({L"ButtonDat", L"ButtonNum3", L"buttonnum12", L"ButtonNum012", L"ButtonNum0"}), 12);
    EXPECT_EQ(HighestButtonNumber({L"ButtonNum2147483647", L"ButtonNum5"}), 2147483647);
    EXPECT_FALSE(HighestButtonNumber({L"ButtonDat", L"ButtonNum-1", L"AppPath"}).has_value());
    EXPECT_FALSE(HighestButtonNumber({}).has_value());
}

}  // namespace
}  // namespace orbelune
