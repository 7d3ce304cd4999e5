#include "platform/pe_resources.h"

#include "support/icon_library.h"

#include <gtest/gtest.h>

namespace orbelune {
namespace {

using test::Bytes;

std::optional<PeIcons> Read(const Bytes& b) { return ReadPeIcons(b.data(), b.size()); }

TEST(PeResources, GroupsInTheDirectoryOrderWithTheirImages) {
    for (const bool plus : {false, true}) {
        SCOPED_TRACE(plus ? "PE32+" : "PE32");
        test::LibraryLayout layout;
        const Bytes library = test::IconLibrary(test::MixedGroups(), &layout, plus);
        const auto icons = Read(library);
        ASSERT_TRUE(icons);
        ASSERT_EQ(icons->groups.size(), 5u);
        // The named groups first: the first group is "APPLE", three images.
        EXPECT_EQ(icons->groups[0].offset, layout.firstGroup);
        EXPECT_EQ(icons->groups[0].size, 6u + 3 * 14);
        const std::size_t images[] = {3, 1, 1, 2, 2};
        for (std::size_t g = 0; g < 5; ++g) EXPECT_EQ(library.at(icons->groups[g].offset + 4), images[g]);
        ASSERT_EQ(icons->icons.size(), 9u);
        const IconResource* first = icons->Icon(1);
        ASSERT_TRUE(first);
        EXPECT_EQ(first->bytes.offset, layout.firstImage);
        const Bytes image = test::IconImageResource({16, 4}, 1);
        EXPECT_EQ(first->bytes.size, image.size());
        EXPECT_TRUE(std::equal(image.begin(), image.end(), library.begin() + first->bytes.offset));
        EXPECT_TRUE(icons->Icon(9));
        EXPECT_FALSE(icons->Icon(10));
        EXPECT_FALSE(icons->Icon(0));
    }
}

TEST(PeResources, NoResourcesOrNoGroupsListNothing) {
    test::LibraryLayout layout;
    const auto none = Read(test::IconLibrary({}, &layout));
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->groups.empty());

    Bytes noDirectory = test::IconLibrary(test::MixedGroups(), &layout);
    test::PutDword(noDirectory, layout.optionalHeader + 96 + 16, 0);
    const auto empty = Read(noDirectory);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->groups.empty());
}

TEST(PeResources, EveryDamagedLibraryIsRefused) {
    for (const auto& damaged : test::DamagedLibraries()) {
        SCOPED_TRACE(damaged.what);
        EXPECT_FALSE(Read(damaged.bytes));
    }
}

TEST(PeResources, KindsOfFiles) {
    const Bytes library = test::IconLibrary(test::MixedGroups());
    Bytes ne = library;
    ne[0x40] = 'N';
    ne[0x41] = 'E';
    const Bytes ico = test::IcoFile({{32, 32}}, 1);
    const struct {
        Bytes bytes;
        ExecutableKind kind;
    } table[] = {
        {library, ExecutableKind::Pe},
        {ne, ExecutableKind::OtherExecutable},
        {ico, ExecutableKind::NotExecutable},
        {{'M'}, ExecutableKind::NotExecutable},
        {{'M', 'Z'}, ExecutableKind::Damaged},
        {Bytes(library.begin(), library.begin() + 0x42), ExecutableKind::Damaged},
    };
    for (const auto& row : table) EXPECT_EQ(ClassifyExecutable(row.bytes.data(), row.bytes.size()), row.kind);
}

}  // namespace
}  // namespace orbelune
