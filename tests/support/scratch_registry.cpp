#include "support/scratch_registry.h"


#include <algorithm>
#include <atomic>
#include <sstream>
#include <stdexcept>

namespace orbelune::test {

namespace {

std::wstring Strip(const std::wstring& path) { return (!path.empty() && path[0] == L'\\') ? path.substr(1) : path; }

std::string Narrow(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

void Check(LONG rc, const char* what, const std::wstring& path) {
    if (rc != ERROR_SUCCESS)
        throw std::runtime_error(std::string(what) + " failed (" + std::to_string(rc) + ") for " + Narrow(path));
}

struct Key {
    HKEY h = nullptr;
    ~Key() {
        if (h) ::RegCloseKey(h);
    }
};

void DumpKey(HKEY key, const std::wstring& path, std::vector<std::wstring>& lines) {
    lines.push_back(L"[" + path + L"]");
    std::vector<wchar_t> name(16384);
    std::vector<BYTE> data(1 << 20);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(data.size());
        if (::RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
            break;
        std::wostringstream line;
        line << L"[" << path << L"] \"" << std::wstring(name.data(), nameLength) << L"\" type " << type << L" =";
        for (DWORD b = 0; b < size; ++b) line << L' ' << static_cast<int>(data[b]);
        lines.push_back(line.str());
    }
    for (DWORD i = 0;; ++i) {
        wchar_t child[256];
        DWORD nameLength = 256;
        if (::RegEnumKeyExW(key, i, child, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        Key sub;
        if (::RegOpenKeyExW(key, child, 0, KEY_READ, &sub.h) == ERROR_SUCCESS)
            DumpKey(sub.h, path + L"\\" + std::wstring(child, nameLength), lines);
    }
}

}  // namespace

ScratchRegistry::ScratchRegistry() {
    static std::atomic<int> counter{0};
    base_ = L"Software\\OrbeluneTests\\" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter++);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, base_.c_str());
    Check(::RegCreateKeyExW(HKEY_CURRENT_USER, (base_ + L"\\user").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &user_, nullptr),
          "RegCreateKeyExW", base_);
    Check(::RegCreateKeyExW(HKEY_CURRENT_USER, (base_ + L"\\machine").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &machine_, nullptr),
          "RegCreateKeyExW", base_);
    Check(::RegOverridePredefKey(HKEY_CURRENT_USER, user_), "RegOverridePredefKey", base_);
    Check(::RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_), "RegOverridePredefKey", base_);
}

ScratchRegistry::~ScratchRegistry() {
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::RegCloseKey(machine_);
    ::RegCloseKey(user_);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, base_.c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, base_.c_str());
}

void CreateKey(HKEY root, const std::wstring& path) {
    Key key;
    Check(::RegCreateKeyExW(root, Strip(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.h, nullptr),
          "RegCreateKeyExW", path);
}

bool KeyExists(HKEY root, const std::wstring& path) {
    Key key;
    return ::RegOpenKeyExW(root, Strip(path).c_str(), 0, KEY_READ, &key.h) == ERROR_SUCCESS;
}

void DeleteKeyTree(HKEY root, const std::wstring& path) {
    ::RegDeleteTreeW(root, Strip(path).c_str());
    ::RegDeleteKeyW(root, Strip(path).c_str());
}

void SetRaw(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD size) {
    Key key;
    Check(::RegCreateKeyExW(root, Strip(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.h, nullptr),
          "RegCreateKeyExW", path);
    Check(::RegSetValueExW(key.h, name.c_str(), 0, type, static_cast<const BYTE*>(data), size), "RegSetValueExW",
          path + L":" + name);
}

void SetString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text, DWORD type) {
    SetRaw(root, path, name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void SetDword(HKEY root, const std::wstring& path, const std::wstring& name, std::uint32_t value) {
    SetRaw(root, path, name, REG_DWORD, &value, sizeof value);
}

void DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name) {
    Key key;
    if (::RegOpenKeyExW(root, Strip(path).c_str(), 0, KEY_ALL_ACCESS, &key.h) == ERROR_SUCCESS)
        ::RegDeleteValueW(key.h, name.c_str());
}

std::optional<RawValue> GetRaw(HKEY root, const std::wstring& path, const std::wstring& name) {
    Key key;
    if (::RegOpenKeyExW(root, Strip(path).c_str(), 0, KEY_READ, &key.h) != ERROR_SUCCESS) return std::nullopt;
    RawValue value;
    DWORD size = 0;
    if (::RegQueryValueExW(key.h, name.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    if (::RegQueryValueExW(key.h, name.c_str(), nullptr, &value.type, value.data.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    return value;
}

std::optional<std::wstring> GetString(HKEY root, const std::wstring& path, const std::wstring& name) {
    const auto raw = GetRaw(root, path, name);
    if (!raw || raw->type != REG_SZ) return std::nullopt;
    std::wstring text(raw->data.size() / sizeof(wchar_t), L'\0');
    std::copy(raw->data.begin(), raw->data.begin() + static_cast<std::ptrdiff_t>(text.size() * sizeof(wchar_t)),
              reinterpret_cast<BYTE*>(text.data()));
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

std::optional<std::uint32_t> GetDword(HKEY root, const std::wstring& path, const std::wstring& name) {
    const auto raw = GetRaw(root, path, name);
    if (!raw || raw->type != REG_DWORD || raw->data.size() != 4) return std::nullopt;
    std::uint32_t value = 0;
    std::copy(raw->data.begin(), raw->data.end(), reinterpret_cast<BYTE*>(&value));
    return value;
}

std::vector<std::wstring> ValueNames(HKEY root, const std::wstring& path) {
    std::vector<std::wstring> names;
    Key key;
    if (::RegOpenKeyExW(root, Strip(path).c_str(), 0, KEY_READ, &key.h) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD length = 16384;
        if (::RegEnumValueW(key.h, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

std::wstring DumpRegistry() {
    std::vector<std::wstring> lines;
    DumpKey(HKEY_CURRENT_USER, L"HKCU", lines);
    DumpKey(HKEY_LOCAL_MACHINE, L"HKLM", lines);
    std::sort(lines.begin(), lines.end());
    std::wstring all;
    for (const auto& line : lines) all += line + L"\n";
    return all;
}

}  // namespace orbelune::test
