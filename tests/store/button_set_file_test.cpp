#include "store/button_set_file.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include "support/gui.h"

#include <windows.h>
#endif

namespace orbelune {
namespace {

using Entries = std::vector<ButtonSetEntry>;

template <std::size_t N>
std::wstring WithNuls(const wchar_t (&text)[N]) {
    return std::wstring(text, N - 1);
}

// Values with blanks, quotes, brackets and letters beyond ASCII at either end
// come back exactly; a line break or a NUL cannot be held.
TEST(ButtonSetFile, EveryValueALineCanHoldComesBack) {
    const std::wstring pieces[] = {L" ", L"\t", L"\"", L"'", L"=", L"[", L"]", L";", L"a", L"日本", L"\x1A", L"\x130", L"\\", L"x y"};
    std::mt19937 random(7);
    const auto value = [&] {
        std::wstring v;
        for (int n = static_cast<int>(random() % 6); n > 0; --n) v += pieces[random() % std::size(pieces)];
        return v;
    };
    Entries buttons(40);
    for (ButtonSetEntry& b : buttons) b = {0, value(), value(), value(), value()};
    const auto read = ReadButtonSet(ButtonSetText(buttons));
    ASSERT_TRUE(read);
    ASSERT_EQ(read->buttons.size(), buttons.size());
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const ButtonSetEntry &want = buttons[i], &got = read->buttons[i];
        EXPECT_EQ(got.number, i);
        EXPECT_EQ(std::vector({got.caption, got.action, got.icon, got.hotIcon}),
                  std::vector({want.caption, want.action, want.icon, want.hotIcon}));
    }
    EXPECT_FALSE(read->deleteButtons);
    for (const std::wstring& bad : {std::wstring(L"a\rb"), std::wstring(L"a\n"), WithNuls(L"a\0b")}) EXPECT_FALSE(ProfileCanHold(bad));
    EXPECT_TRUE(ProfileCanHold(L" \"x\" \t"));
}

#ifdef _WIN32
// Generated files read by the platform's profile reader, key by key, give
// what the reader gives.
TEST(ButtonSetFile, GeneratedFilesReadAsThePlatformReadsThem) {
    const std::wstring sections[] = {L"[BrowserToolbars]", L" [ BROWSERtoolbars ]", L"[Other]", L"[BrowserToolbars",
                                     L"[BrowserToolbars]x]", WithNuls(L"[BrowserToolbars\0z]")};
    const std::wstring names[] = {L"Caption", L"caption", L"ACTION", L"Icon", L"HotIcon", L"hoticon", L"Show",
                                  L"ToolTipText", L"Act\x130on", L"DeleteButtons", L"Icon 1"};
    const std::wstring numbers[] = {L"0", L"1", L"2", L"07", L"10", L""};
    const std::wstring joins[] = {L"=", L" = ", L"=\t", L""};
    const std::wstring values[] = {L"", L"a b", L" \"q\" ", L"'s'", L"\"", WithNuls(L"x\0y"), L"日本語", L"=x", L"[y]", L"1"};
    const std::wstring ends[] = {L"\r\n", L"\n", L"\r", L"\r\n\r\n", L"\x1A\n"};
    test::TempFolder folder;
    std::mt19937 random(11);
    const auto pick = [&](const auto& list) { return list[random() % std::size(list)]; };
    for (int file = 0; file < 150; ++file) {
        std::wstring text;
        for (int line = static_cast<int>(random() % 30); line > 0; --line) {
            if (random() % 8 == 0) text += pick(sections) + pick(ends) + L"Marker=1" + pick(ends);
            else text += pick(names) + pick(numbers) + pick(joins) + pick(values) + pick(ends);
        }
        const std::wstring path = folder.File(L"f" + std::to_wstring(file) + L".ins");
        std::vector<unsigned char> bytes{0xFF, 0xFE};
        for (wchar_t c : text) bytes.push_back(static_cast<unsigned char>(c)), bytes.push_back(static_cast<unsigned char>(c >> 8));
        test::WriteFileBytes(path, bytes);
        const auto platform = [&](const std::wstring& key) -> std::optional<std::wstring> {
            wchar_t buffer[256];
            ::GetPrivateProfileStringW(L"BrowserToolbars", key.c_str(), L"\x01", buffer, 256, path.c_str());
            return std::wstring(buffer) == L"\x01" ? std::nullopt : std::optional(std::wstring(buffer));
        };
        SCOPED_TRACE(testing::PrintToString(text));
        const auto read = ReadButtonSet(text);
        ASSERT_EQ(read.has_value(), platform(L"Marker").has_value());
        if (!read) continue;
        EXPECT_EQ(read->deleteButtons, platform(L"DeleteButtons") == L"1");
        for (std::uint32_t n : {0u, 1u, 2u, 7u, 10u}) {
            const std::wstring number = std::to_wstring(n);
            const ButtonSetEntry* ours = nullptr;
            for (const ButtonSetEntry& b : read->buttons) ours = b.number == n ? &b : ours;
            bool any = false;
            for (const wchar_t* key : {L"Show", L"ToolTipText"}) any = any || platform(key + number);
            const std::pair<const wchar_t*, std::wstring> fields[] = {{L"Caption", ours ? ours->caption : L""},
                                                                      {L"Action", ours ? ours->action : L""},
                                                                      {L"Icon", ours ? ours->icon : L""},
                                                                      {L"HotIcon", ours ? ours->hotIcon : L""}};
            for (const auto& [key, value] : fields) {
                const auto theirs = platform(key + number);
                any = any || theirs;
                EXPECT_EQ(value, theirs.value_or(L"")) << key << n;
            }
            EXPECT_EQ(ours != nullptr, any) << n;
        }
    }
}
#endif

}  // namespace
}  // namespace orbelune
