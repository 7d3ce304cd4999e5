// Text to the console companion's standard output and error: the console's
// own wide characters when the handle is a console, whatever its code page;
// UTF-8 when it is redirected to a file or a pipe.
#pragma once

#include <string_view>

namespace orbelune {

enum class Stream { Output, Error };

void Write(Stream stream, std::wstring_view text);

inline void WriteLine(Stream stream, std::wstring_view text) {
    Write(stream, text);
    Write(stream, L"\r\n");
}

}  // namespace orbelune
