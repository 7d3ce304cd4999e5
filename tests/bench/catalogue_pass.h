// One RegEnumValueW pass over the catalogue key into the two lists, as
// plainly as it can be done: the ButtonNum<n> values up to ButtonDat, sorted
// by number, names into one list and numbers into the other, with
// LB_INITSTORAGE and redrawing off. Shared by the reference programs.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace bench {

struct Button {
    long long number;
    std::wstring name;
};

// The number of a "ButtonNum<n>" value name, or -1.
inline long long NumberOf(const wchar_t* name, DWORD length) {
    static const wchar_t prefix[] = L"buttonnum";
    constexpr DWORD prefixLength = 9;
    if (length <= prefixLength || (length > prefixLength + 1 && name[prefixLength] == L'0')) return -1;
    for (DWORD i = 0; i < prefixLength; ++i)
        if ((name[i] | 0x20) != prefix[i]) return -1;
    long long n = 0;
    for (DWORD i = prefixLength; i < length; ++i) {
        if (name[i] < L'0' || name[i] > L'9' || n > 0x7FFFFFFF) return -1;
        n = n * 10 + (name[i] - L'0');
    }
    return n <= 0x7FFFFFFF ? n : -1;
}

inline void FillLists(HWND names, HWND numbers) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Tollivern", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
    DWORD count = 0, longestName = 0, largestData = 0;
    ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName, &largestData,
                       nullptr, nullptr);
    std::vector<wchar_t> name(longestName + 1);
    std::vector<wchar_t> data(largestData / sizeof(wchar_t) + 1);
    std::vector<Button> buttons;
    buttons.reserve(count);
    long long top = -1;
    std::size_t textBytes = 0;
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        DWORD type = 0;
        if (::RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                            &size) != ERROR_SUCCESS)
            break;
        const std::size_t chars = std::wstring_view(data.data(), size / sizeof(wchar_t)).find(L'\0');
        const std::wstring text(data.data(), chars == std::wstring_view::npos ? size / sizeof(wchar_t) : chars);
        if (::lstrcmpiW(name.data(), L"ButtonDat") == 0) {
            top = _wtoi(text.c_str());
            continue;
        }
        const long long n = NumberOf(name.data(), nameLength);
        if (n < 0) continue;
        textBytes += (text.size() + 1) * sizeof(wchar_t);
        buttons.push_back({n, text});
    }
    ::RegCloseKey(key);
    std::sort(buttons.begin(), buttons.end(), [](const Button& a, const Button& b) { return a.number < b.number; });

    ::SendMessageW(names, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(numbers, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(names, LB_INITSTORAGE, buttons.size(), textBytes);
    ::SendMessageW(numbers, LB_INITSTORAGE, buttons.size(), buttons.size() * 12 * sizeof(wchar_t));
    for (const Button& button : buttons) {
        if (button.number > top) break;
        ::SendMessageW(names, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(button.name.c_str()));
        ::SendMessageW(numbers, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(button.number).c_str()));
    }
    ::SendMessageW(names, WM_SETREDRAW, TRUE, 0);
    ::SendMessageW(numbers, WM_SETREDRAW, TRUE, 0);
}

}  // namespace bench
