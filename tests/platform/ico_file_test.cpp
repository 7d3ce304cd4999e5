#include "platform/ico_file.h"

#include "support/icon_library.h"

#include <gtest/gtest.h>

namespace orbelune {
namespace {

TEST(IcoFile, HeaderAndDirectoryChecks) {
    const auto good = test::IcoFile({{32, 32}}, 1);
    EXPECT_EQ(CheckIcoHeader(good.data(), 5), IcoHeaderCheck::TooShort);
    EXPECT_EQ(CheckIcoHeader(good.data(), good.size()), IcoHeaderCheck::Ok);
    auto typeZero = good;
    typeZero[2] = 0;
    EXPECT_EQ(CheckIcoHeader(typeZero.data(), typeZero.size()), IcoHeaderCheck::Ok);
    auto cursor = good;
    cursor[2] = 2;
    EXPECT_EQ(CheckIcoHeader(cursor.data(), cursor.size()), IcoHeaderCheck::WrongType);

    const auto directory = ReadIcoDirectory(good.data(), good.size());
    ASSERT_TRUE(directory);
    ASSERT_EQ(directory->size(), 1u);
    EXPECT_EQ((*directory)[0].width, 32u);
    EXPECT_EQ((*directory)[0].offset, 22u);
    EXPECT_EQ((*directory)[0].size, good.size() - 22);

    auto overDirectory = good;
    overDirectory[18] = 10;  // the image would start inside the directory
    EXPECT_FALSE(ReadIcoDirectory(overDirectory.data(), overDirectory.size()));
    auto huge = good;
    for (int i = 14; i < 22; ++i) huge[i] = 0xFF;  // offset + size past 32 bits
    EXPECT_FALSE(ReadIcoDirectory(huge.data(), huge.size()));
    EXPECT_FALSE(ReadIcoDirectory(good.data(), good.size() - 1));

    auto sized256 = good;
    sized256[6] = 0;
    sized256[7] = 0;
    EXPECT_EQ((*ReadIcoDirectory(sized256.data(), sized256.size()))[0].width, 256u);
}

}  // namespace
}  // namespace orbelune
