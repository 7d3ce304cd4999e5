// The one failure type of the program. A failure ends the running handler;
// the window procedure that dispatched the handler catches it and shows the
// failure box with its message.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace orbelune {

class Failure : public std::exception {
public:
    explicit Failure(std::wstring message) : message_(std::move(message)) {}

    const std::wstring& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return "Orbelune failure"; }

private:
    std::wstring message_;
};

// Replaces the first "%s" of a message pattern with the argument.
std::wstring FormatMessageText(std::wstring_view pattern, std::wstring_view argument);

// Throws a Failure whose message is the pattern with "%s" replaced.
[[noreturn]] void Fail(std::wstring_view pattern, std::wstring_view argument);

}  // namespace orbelune
