// Each test gets a registry of its own: HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE of the test process are redirected to fresh keys under
// the test prefix's current user, removed again afterwards. The helpers here
// use the Win32 API directly, not the code under test.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orbelune::test {

class ScratchRegistry {
public:
    ScratchRegistry();
    ~ScratchRegistry();
    ScratchRegistry(const ScratchRegistry&) = delete;
    ScratchRegistry& operator=(const ScratchRegistry&) = delete;

private:
    std::wstring base_;
    HKEY user_ = nullptr;
    HKEY machine_ = nullptr;
};

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// Paths may start with "\" as the program writes them.
void CreateKey(HKEY root, const std::wstring& path);
bool KeyExists(HKEY root, const std::wstring& path);
void DeleteKeyTree(HKEY root, const std::wstring& path);
void SetRaw(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD size);
void SetString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text,
               DWORD type = REG_SZ);
void SetDword(HKEY root, const std::wstring& path, const std::wstring& name, std::uint32_t value);
void DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name);
std::optional<RawValue> GetRaw(HKEY root, const std::wstring& path, const std::wstring& name);
// The text of a REG_SZ value; no value when absent or of another type.
std::optional<std::wstring> GetString(HKEY root, const std::wstring& path, const std::wstring& name);
// A REG_DWORD value; no value when absent or of another type.
std::optional<std::uint32_t> GetDword(HKEY root, const std::wstring& path, const std::wstring& name);
std::vector<std::wstring> ValueNames(HKEY root, const std::wstring& path);

// Every key and value below both redirected hives as sorted text, for
// checking that an operation wrote nothing else.
std::wstring DumpRegistry();

// Shorthands for the current user's hive.
inline std::optional<std::wstring> UserString(const std::wstring& path, const std::wstring& name) {
    return GetString(HKEY_CURRENT_USER, path, name);
}
inline std::optional<std::uint32_t> UserDword(const std::wstring& path, const std::wstring& name) {
    return GetDword(HKEY_CURRENT_USER, path, name);
}

}  // namespace orbelune::test
