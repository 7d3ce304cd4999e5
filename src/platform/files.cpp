#include "platform/files.h"

#include "platform/handle.h"

#include <windows.h>

#include <algorithm>

namespace orbelune {

bool FileExists(const std::wstring& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);  // cut short: a long path
    }
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::wstring& path, std::size_t limit, bool* tooLarge) {
    if (tooLarge) *tooLarge = false;
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size)) return std::nullopt;
    if (static_cast<std::uint64_t>(size.QuadPart) > limit) {
        if (tooLarge) *tooLarge = true;
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
        DWORD read = 0;
        if (!::ReadFile(file.Get(), bytes.data() + done, piece, &read, nullptr) || read == 0) return std::nullopt;
        done += read;
    }
    return bytes;
}

bool SameFileBytes(const std::wstring& a, const std::wstring& b) {
    constexpr std::size_t kLargest = std::size_t{1} << 28;
    const auto first = ReadFileBytes(a, kLargest), second = ReadFileBytes(b, kLargest);
    return first && second && *first == *second;
}

bool CopyToNewFile(const std::wstring& from, const std::wstring& to) {
    return ::CopyFileW(from.c_str(), to.c_str(), TRUE) != FALSE;
}

bool RemoveFile(const std::wstring& path) { return ::DeleteFileW(path.c_str()) != FALSE; }

bool MakeFolders(const std::wstring& folder) {
    std::wstring path = folder;
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    if (path.empty() || IsFolder(path)) return !path.empty();
    const std::wstring above = FolderOfPath(path);
    if (!above.empty() && above.size() < path.size() && !IsFolder(above) && !MakeFolders(above)) return false;
    return ::CreateDirectoryW(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

std::wstring FolderOfPath(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, slash + 1));
}

std::wstring FileNameOfPath(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

bool IsAbsolutePath(std::wstring_view path) {
    const auto slash = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    return (!path.empty() && slash(path[0])) || (path.size() >= 3 && path[1] == L':' && slash(path[2]));
}

std::wstring FreeOrSamePath(const std::wstring& folder, const std::wstring& name, const std::wstring& source,
                            const std::function<bool(const std::wstring& path)>& taken) {
    const std::size_t dot = name.find_last_of(L'.');
    const std::wstring stem = dot == std::wstring::npos || dot == 0 ? name : name.substr(0, dot);
    const std::wstring extension = stem.size() == name.size() ? std::wstring() : name.substr(stem.size());
    std::wstring base = folder;
    if (!base.empty() && base.back() != L'\\' && base.back() != L'/') base += L'\\';
    for (int n = 1;; ++n) {
        std::wstring path = base;
        if (n == 1) path += name;
        else path.append(stem).append(L" (").append(std::to_wstring(n)).append(L")").append(extension);
        if (taken(path)) continue;
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return path;
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) && SameFileBytes(path, source)) return path;
    }
}

}  // namespace orbelune
