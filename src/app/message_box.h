// The four message boxes, the only way Orbelune speaks to the user.
//
// Information, confirmation and error boxes are Orbelune's own modal
// dialogs; the failure box is the system's stop-sign message box, shown by
// the window procedures for a failure that ended a handler.
#pragma once

#include "platform/prompts.h"

#include <functional>
#include <string>
#include <string_view>

namespace orbelune {

enum class BoxKind { Information, Confirmation, Error, Failure };

// Caption "Orbelune", button "OK".
void ShowInformation(std::wstring_view text);
// Caption "確認", question mark, "はい(&Y)" / "いいえ(&N)". Esc answers No; the
// close box answers Cancel.
BoxResult ShowConfirmation(std::wstring_view text);
// Caption "エラー", stop sign, "OK".
void ShowError(std::wstring_view text);
// The failure box: the message by the "." rule, stop sign, caption
// "Orbelune", owned by the application window.
void ShowFailure(std::wstring_view message);

// The failure box's text: a "." is appended when the last character sorts
// above "." (for a double-byte character of code page 932, its lead byte).
std::wstring FailureBoxText(std::wstring_view message);

// What Ctrl+C copies from a box: seven CRLF-ended lines.
std::wstring BoxClipboardText(std::wstring_view caption, std::wstring_view message,
                              const std::vector<std::wstring>& buttonCaptions);

// The boxes above, for code that is handed a Prompts.
Prompts& BoxPrompts();

// Test seam: while set, every box is answered by this function instead of
// being shown. Pass nullptr to show the real boxes again.
using BoxAnswerer = std::function<BoxResult(BoxKind kind, const std::wstring& text)>;
void SetBoxAnswerer(BoxAnswerer answerer);

}  // namespace orbelune
