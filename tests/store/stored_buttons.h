// The registry places of the catalogue and of Internet Explorer's toolbar
// buttons, and buttons written and checked there as the create writes them;
// shared by the store's rule tests and its tests through the main window.
#pragma once

#include "support/scratch_registry.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace orbelune::test
