// The registry places of the catalogue and of Internet Explorer's toolbar
// buttons, and buttons written and checked there as the create writes them;
// shared by the store's rule tests and its tests through the main window.
#pragma once

#include "store/button_form.h"
#include "support/recording_prompts.h"
#include "support/scratch_registry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace orbelune::test {

inline const std::wstring kCatalogue = L"\\Software\\Tollivern";
inline const std::wstring kCmdMapping = L"\\Software\\Microsoft\\Internet Explorer\\Extensions\\CmdMapping";
inline const std::wstring kExtensions = L"\\Software\\Microsoft\\Internet Explorer\\Extensions";
inline const std::wstring kClsid = L"{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}";

inline std::wstring Id(int n) {
    std::wstring padded = std::to_wstring(n);
    padded.insert(0, 8 - padded.size(), L'0');
    return L"{" + padded + L"-0000-0000-0000-000000000000}";
}
inline std::wstring ExtKey(int n) { return kExtensions + L"\\" + Id(n); }

// A button written as create writes it.
inline void StoredButton(int n, const std::wstring& name, const std::wstring& icon, const std::wstring& hotIcon) {
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonNum" + std::to_wstring(n), name);
    SetString(HKEY_CURRENT_USER, ExtKey(n), L"ButtonText", name);
    SetString(HKEY_CURRENT_USER, ExtKey(n), L"CLSID", kClsid);
    SetString(HKEY_CURRENT_USER, ExtKey(n), L"Exec", L"C:\\" + name + L".exe");
    SetString(HKEY_CURRENT_USER, ExtKey(n), L"Icon", icon);
    SetString(HKEY_CURRENT_USER, ExtKey(n), L"HotIcon", hotIcon);
}

// A catalogue as creating its buttons leaves it: ButtonDat, NextId when
// given, and each button with its icon (and hot icon, unless one of its own
// is given) and its command number when given.
struct Stored {
    int n;
    std::wstring name;
    std::optional<std::uint32_t> command = std::nullopt;
    std::wstring hotIcon = {};
};
inline void StoredCatalogue(const std::wstring& buttonDat, std::optional<std::uint32_t> nextId,
                            std::initializer_list<Stored> buttons, const std::wstring& icon) {
    SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", buttonDat);
    if (nextId) SetDword(HKEY_CURRENT_USER, kCmdMapping, L"NextId", *nextId);
    for (const Stored& b : buttons) {
        StoredButton(b.n, b.name, icon, b.hotIcon.empty() ? icon : b.hotIcon);
        if (b.command) SetDword(HKEY_CURRENT_USER, kCmdMapping, Id(b.n), *b.command);
    }
}

inline void ExpectExtension(int n, const std::wstring& name, const std::wstring& exec, const std::wstring& icon,
                            const std::wstring& hotIcon) {
    SCOPED_TRACE(testing::Message() << "extension key of button " << n);
    EXPECT_EQ(UserString(ExtKey(n), L"ButtonText"), name);
    EXPECT_EQ(UserString(ExtKey(n), L"CLSID"), kClsid);
    EXPECT_EQ(UserString(ExtKey(n), L"Exec"), exec);
    EXPECT_EQ(UserString(ExtKey(n), L"Icon"), icon);
    EXPECT_EQ(UserString(ExtKey(n), L"HotIcon"), hotIcon);
    EXPECT_EQ(ValueNames(HKEY_CURRENT_USER, ExtKey(n)).size(), 5u);
}

// What the tests of the button operations do to a form and ask of it, the
// real main window's or one without a window alike.
class ButtonFormChecks {
protected:
    using Texts = std::vector<std::wstring>;
    using Field = ButtonForm::Field;

    virtual ~ButtonFormChecks() = default;
    virtual ButtonForm& Form() = 0;
    virtual const std::vector<RecordedBox>& Boxes() = 0;

    void Fill(const std::wstring& name, const std::wstring& link, const std::wstring& icon) {
        Form().SetFieldText(Field::Name, name);
        Form().SetFieldText(Field::LinkTarget, link);
        Form().SetFieldText(Field::Icon, icon);
    }
    Texts Names() {
        Texts names;
        for (int i = 0; i < Form().ButtonNameCount(); ++i) names.push_back(Form().ButtonNameAt(i));
        return names;
    }
    Texts Numbers() {
        Texts numbers;
        for (int i = 0; i < Form().ButtonNumberCount(); ++i) numbers.push_back(Form().ButtonNumberAt(i));
        return numbers;
    }
    std::vector<BoxKind> Kinds() {
        std::vector<BoxKind> kinds;
        for (const auto& b : Boxes()) kinds.push_back(b.kind);
        return kinds;
    }
    void ExpectFieldsCleared() {
        EXPECT_EQ(Form().FieldText(Field::Name), L"");
        EXPECT_EQ(Form().FieldText(Field::LinkTarget), L"");
        EXPECT_EQ(Form().FieldText(Field::Icon), L"");
        EXPECT_EQ(Form().FieldText(Field::HotIcon), Form().HotIconSameAsIcon() ? L"アイコンと同じ" : L"");
    }
};

}  // namespace orbelune::test
