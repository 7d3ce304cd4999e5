// The registry object: one root hive, at most one open key, full access to
// every key it opens or creates. Made for one handler and released when the
// handler ends, also by a failure.
#pragma once

#include "platform/handle.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orbelune {

struct RegistryValue {
    std::wstring name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// The text a value of that type and data reads as (see Registry::ReadString);
// a failure names the value as given.
std::wstring StringValueText(std::wstring_view name, DWORD type, const BYTE* data, std::size_t size);

// The length in bytes that the ANSI interface gives for a value's data: for
// REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ the stored whole UTF-16 characters
// converted to code page 932; for other types the stored length.
std::size_t AnsiDataLength(DWORD type, const BYTE* data, std::size_t size);

class Registry {
public:
    // Starts on the current user's hive with no key open.
    Registry() = default;
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // Switches to another predefined root; closes the open key.
    void SetRoot(HKEY root);
    HKEY Root() const noexcept { return root_; }

    // The registry view of the keys opened, created and deleted from now on:
    // KEY_WOW64_32KEY or KEY_WOW64_64KEY, or 0 for the program's own. A
    // 64-bit program sees what a 32-bit one (such as its installer) wrote
    // under HKEY_LOCAL_MACHINE\SOFTWARE only through the 32-bit view.
    void SetView(REGSAM view) noexcept { view_ = view; }

    // A path starting with "\" starts at the root; any other path starts at
    // the open key, or at the root when none is open. With canCreate an
    // absent key is created. On success the new key replaces the open one;
    // on failure nothing changes.
    bool OpenKey(std::wstring_view path, bool canCreate);
    void CloseKey() noexcept { key_.Reset(); }
    bool HasOpenKey() const noexcept { return static_cast<bool>(key_); }

    // Absent value, or one without data: empty text. REG_SZ and
    // REG_EXPAND_SZ (not expanded) up to the first zero character. Any other
    // type: failure "'<name>' のデータ型が不正です".
    std::wstring ReadString(std::wstring_view name) const;

    // REG_DWORD. Absent or longer than four bytes: "'<name>' の取得に失敗しました";
    // other types: "'<name>' のデータ型が不正です". Lengths are those the
    // ANSI interface reports, which 8-bit programs reading the same values
    // see: a string type counts its characters in code page 932 (terminator
    // included as stored), any other type its stored bytes.
    std::int32_t ReadInteger(std::wstring_view name) const;

    // Refused writes: "'<name>' の設定に失敗しました".
    void WriteString(std::wstring_view name, std::wstring_view text) const;
    void WriteInteger(std::wstring_view name, std::int32_t value) const;

    bool ValueExists(std::wstring_view name) const;

    // Every value name of the open key, the unnamed value ("") included.
    std::vector<std::wstring> ValueNames() const;
    // How many values the open key holds, the unnamed value included when
    // set; 0 when no key is open. One query, however many there are.
    std::size_t ValueCount() const;

    // Every value of the open key with its type and data, in one pass.
    std::vector<RegistryValue> Values() const;

    // Deletes the key named as for OpenKey after everything beneath it,
    // deepest first. False when it is absent. Never raises a failure.
    bool DeleteKey(std::wstring_view path) noexcept;

    // Removes a value of the open key. False when it is absent.
    bool DeleteValue(std::wstring_view name) const noexcept;

private:
    // The key a path starts from and the path below it.
    HKEY BaseFor(std::wstring_view& path) const noexcept;

    HKEY root_ = HKEY_CURRENT_USER;
    REGSAM view_ = 0;
    UniqueHKey key_;
};

}  // namespace orbelune
