#include "platform/failure.h"

namespace orbelune {

std::wstring FormatMessageText(std::wstring_view pattern, std::wstring_view argument) {
    std::wstring text(pattern);
    const auto at = text.find(L"%s");
    if (at != std::wstring::npos) text.replace(at, 2, argument);
    return text;
}

void Fail(std::wstring_view pattern, std::wstring_view argument) {
    throw Failure(FormatMessageText(pattern, argument));
}

}  // namespace orbelune
