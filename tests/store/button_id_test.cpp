#include "store/button_id.h"

#include "platform/failure.h"

#include <gtest/gtest.h>

namespace orbelune {
namespace {

TEST(ButtonId, PaddedNumberAndIdentifier) {
    const struct {
        const wchar_t *plain, *valueName, *padded, *id;
    } cases[] = {
        {L"0", L"ButtonNum0", L"00000000", L"{00000000-0000-0000-0000-000000000000}"},
        {L"3", L"ButtonNum3", L"00000003", L"{00000003-0000-0000-0000-000000000000}"},
        {L"10", L"ButtonNum10", L"00000010", L"{00000010-0000-0000-0000-000000000000}"},
        {L"12", L"ButtonNum12", L"00000012", L"{00000012-0000-0000-0000-000000000000}"},
        {L"99999999", L"ButtonNum99999999", L"99999999", L"{99999999-0000-0000-0000-000000000000}"},
        {L"123456789", L"ButtonNum123456789", L"123456789", L"{123456789-0000-0000-0000-000000000000}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "button " << testing::PrintToString(std::wstring(c.plain)));
        EXPECT_EQ(ButtonNumValueName(c.plain), c.valueName);
        EXPECT_EQ(PaddedNumber(c.plain), c.padded);
        EXPECT_EQ(ButtonIdentifier(PaddedNumber(c.plain)), c.id);
        EXPECT_EQ(PlainNumber(PaddedNumber(c.plain)), c.plain);
    }
    EXPECT_EQ(ButtonIdentifier(L"00000000").size(), 38u);
}

TEST(ButtonId, PaddedTwelveNamesButtonNum12) {
    EXPECT_EQ(ButtonNumValueName(PlainNumber(L"00000012")), L"ButtonNum12");
}

TEST(ButtonId, PlainNumberOfNonNumberFails) {
    EXPECT_THROW(PlainNumber(L"0000000x"), Failure);
}

}  // namespace
}  // namespace orbelune
