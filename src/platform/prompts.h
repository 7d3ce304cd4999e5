// How the store and the icon writer speak to the user: they are handed a
// Prompts and never show a box themselves. The windows answer with the
// program's boxes (app/message_box.h); the store's tests answer with a
// script. Free of windows.h.
#pragma once

#include <string_view>

namespace orbelune {

// How a question was answered: the close box gives Cancel; None while no
// answer was given.
enum class BoxResult { None, Yes, No, Cancel };

class Prompts {
public:
    // Something the user should know; the information box.
    virtual void Inform(std::wstring_view text) = 0;
    // A yes-or-no question; the confirmation box.
    virtual BoxResult Confirm(std::wstring_view text) = 0;
    // Something that could not be done; the error box.
    virtual void Error(std::wstring_view text) = 0;

protected:
    ~Prompts() = default;
};

}  // namespace orbelune
