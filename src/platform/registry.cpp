#include "platform/registry.h"

#include "platform/codepage.h"
#include "platform/failure.h"

#include <cstddef>
#include <cstring>

namespace orbelune {

namespace {

constexpr wchar_t kWrongType[] = L"'%s' のデータ型が不正です";
constexpr wchar_t kGetFailed[] = L"'%s' の取得に失敗しました";
constexpr wchar_t kSetFailed[] = L"'%s' の設定に失敗しました";

// Win32 wants zero-terminated names.
std::wstring Z(std::wstring_view s) { return std::wstring(s); }

// Only allocation can throw here; DeleteKey catches it.
bool DeleteKeyTree(HKEY parent, const std::wstring& subkey, REGSAM view) {
    {
        UniqueHKey key;
        if (::RegOpenKeyExW(parent, subkey.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | DELETE | view,
                            key.Put()) != ERROR_SUCCESS)
            return false;
        // Always take the first child: each deletion renumbers the rest.
        std::wstring child(256, L'\0');
        for (;;) {
            DWORD length = static_cast<DWORD>(child.size());
            const LONG rc = ::RegEnumKeyExW(key.Get(), 0, child.data(), &length, nullptr, nullptr, nullptr, nullptr);
            if (rc == ERROR_MORE_DATA) {
                child.resize(child.size() * 2);
                continue;
            }
            if (rc != ERROR_SUCCESS) break;
            if (!DeleteKeyTree(key.Get(), child.substr(0, length), view)) break;
        }
    }
    return ::RegDeleteKeyExW(parent, subkey.c_str(), view, 0) == ERROR_SUCCESS;
}

// The type and data of a value, read whole; false when it is absent or
// cannot be read.
bool QueryValue(HKEY key, const std::wstring& name, DWORD& type, std::vector<BYTE>& data) {
    // One query for the usual short data; longer data is read again whole.
    data.resize(512);
    for (;;) {
        auto size = static_cast<DWORD>(data.size());
        const LONG rc = ::RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
        if (rc == ERROR_MORE_DATA) {
            data.resize(size);
            continue;
        }
        if (rc != ERROR_SUCCESS) return false;
        data.resize(size);
        return true;
    }
}

bool IsStringType(DWORD type) noexcept { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

}  // namespace

void Registry::SetRoot(HKEY root) {
    CloseKey();
    root_ = root;
}

HKEY Registry::BaseFor(std::wstring_view& path) const noexcept {
    if (!path.empty() && path.front() == L'\\') {
        path.remove_prefix(1);
        return root_;
    }
    return key_ ? key_.Get() : root_;
}

bool Registry::OpenKey(std::wstring_view path, bool canCreate) {
    HKEY base = BaseFor(path);
    const std::wstring sub = Z(path);
    HKEY opened = nullptr;
    LONG rc;
    if (canCreate)
        rc = ::RegCreateKeyExW(base, sub.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | view_,
                               nullptr, &opened, nullptr);
    else
        rc = ::RegOpenKeyExW(base, sub.c_str(), 0, KEY_ALL_ACCESS | view_, &opened);
    if (rc != ERROR_SUCCESS) return false;
    key_.Reset(opened);
    return true;
}

std::wstring StringValueText(std::wstring_view name, DWORD type, const BYTE* data, std::size_t size) {
    if (size == 0) return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ) Fail(kWrongType, name);
    // Whole characters only; the stored terminator is never relied on.
    std::wstring text(size / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), data, text.size() * sizeof(wchar_t));
    if (size % sizeof(wchar_t) != 0) text.push_back(static_cast<wchar_t>(data[size - 1]));
    const auto zero = text.find(L'\0');
    if (zero != std::wstring::npos) text.resize(zero);
    return text;
}

std::size_t AnsiDataLength(DWORD type, const BYTE* data, std::size_t size) {
    if (!IsStringType(type)) return size;
    // As the ANSI interface converts: whole characters only, every zero
    // character among them counted as one byte.
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (!text.empty()) std::memcpy(text.data(), data, text.size() * sizeof(wchar_t));
    return ToCp932(text).size();
}

std::wstring Registry::ReadString(std::wstring_view name) const {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!QueryValue(key_.Get(), Z(name), type, data)) return {};  // absent
    return StringValueText(name, type, data.data(), data.size());
}

std::int32_t Registry::ReadInteger(std::wstring_view name) const {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!QueryValue(key_.Get(), Z(name), type, data) || AnsiDataLength(type, data.data(), data.size()) > 4)
        Fail(kGetFailed, name);
    if (type != REG_DWORD) Fail(kWrongType, name);
    DWORD value = 0;  // shorter data fills the low bytes
    std::memcpy(&value, data.data(), data.size());
    return static_cast<std::int32_t>(value);
}

void Registry::WriteString(std::wstring_view name, std::wstring_view text) const {
    const std::wstring data = Z(text);
    // NOLINTNEXTLINE(bugprone-misplaced-widening-cast): the same width in 32 bits; a value is far below 4 GiB
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    if (::RegSetValueExW(key_.Get(), Z(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                         bytes) != ERROR_SUCCESS)
        Fail(kSetFailed, name);
}

void Registry::WriteInteger(std::wstring_view name, std::int32_t value) const {
    const auto data = static_cast<DWORD>(value);
    if (::RegSetValueExW(key_.Get(), Z(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                         sizeof data) != ERROR_SUCCESS)
        Fail(kSetFailed, name);
}

bool Registry::ValueExists(std::wstring_view name) const {
    return ::RegQueryValueExW(key_.Get(), Z(name).c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::vector<std::wstring> Registry::ValueNames() const {
    std::vector<std::wstring> names;
    DWORD count = 0;
    DWORD longest = 0;
    if (::RegQueryInfoKeyW(key_.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longest,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return names;
    names.reserve(count);
    std::wstring buffer(longest + 1, L'\0');
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG rc =
            ::RegEnumValueW(key_.Get(), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) {  // a longer name was added meanwhile
            buffer.resize(buffer.size() * 2 + 16);
            --index;
            continue;
        }
        if (rc != ERROR_SUCCESS) break;
        names.emplace_back(buffer.data(), length);
    }
    return names;
}

std::size_t Registry::ValueCount() const {
    DWORD count = 0;
    if (::RegQueryInfoKeyW(key_.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return count;
}

std::vector<RegistryValue> Registry::Values() const {
    std::vector<RegistryValue> values;
    DWORD count = 0;
    DWORD longestName = 0;
    DWORD largestData = 0;
    if (::RegQueryInfoKeyW(key_.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                           &largestData, nullptr, nullptr) != ERROR_SUCCESS)
        return values;
    values.reserve(count);
    std::wstring name(longestName + 1, L'\0');
    std::vector<BYTE> data(largestData + 2);
    for (DWORD index = 0;;) {
        auto nameLength = static_cast<DWORD>(name.size());
        auto size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LONG rc =
            ::RegEnumValueW(key_.Get(), index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        if (rc == ERROR_MORE_DATA) {  // a value grew meanwhile
            name.resize(name.size() * 2 + 16);
            data.resize(data.size() * 2 + 16);
            continue;
        }
        if (rc != ERROR_SUCCESS) break;
        values.push_back({std::wstring(name.data(), nameLength), type, std::vector<BYTE>(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(size))});
        ++index;
    }
    return values;
}

bool Registry::DeleteKey(std::wstring_view path) noexcept {
    try {
        HKEY base = BaseFor(path);
        if (path.empty()) return false;  // never the root or the open key itself
        return DeleteKeyTree(base, Z(path), view_);
    } catch (...) {  // only allocation can throw here
        return false;
    }
}

bool Registry::DeleteValue(std::wstring_view name) const noexcept {
    try {
        return ::RegDeleteValueW(key_.Get(), Z(name).c_str()) == ERROR_SUCCESS;
    } catch (...) {
        return false;
    }
}

}  // namespace orbelune
