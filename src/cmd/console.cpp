#include "cmd/console.h"

#include <windows.h>

#include <string>

namespace orbelune {

void Write(Stream stream, std::wstring_view text) {
    if (text.empty()) return;
    const HANDLE handle = ::GetStdHandle(stream == Stream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    // No handle at all (a program started without one) is null.
    // cppcheck-suppress knownConditionTrueFalse ; GetStdHandle gives null for a missing handle
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return;
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
        DWORD written = 0;
        ::WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const int length = static_cast<int>(text.size());
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), bytes, nullptr, nullptr);
    for (std::size_t done = 0; done < utf8.size();) {
        DWORD written = 0;
        if (!::WriteFile(handle, utf8.data() + done, static_cast<DWORD>(utf8.size() - done), &written, nullptr) ||
            written == 0)
            return;
        done += written;
    }
}

}  // namespace orbelune
