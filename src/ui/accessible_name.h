// What a screen reader reads for a control where the platform's own answer
// falls short: an entry field or list named by the label beside it, a
// preview or image of our own classes, the icon grid and its items.
//
// Screen readers ask a window for its accessible object (WM_GETOBJECT, the
// client area); a control given a name here answers with the platform's own
// object for it (CreateStdAccessibleObject), which keeps the role, state,
// place and everything else the platform knows, and reads the name given
// here. A list view's items are read by their captions. oleacc and oleaut32
// are loaded at the first request; where they cannot be, the control gives
// the platform's answer.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace orbelune {

// Names a control for screen readers; `value`, when given, tells what the
// control shows at the moment of the question (a preview's icon file);
// `description`, when given, is read after the name (what a label's tooltip
// tells about the field it names).
void SetAccessibleName(HWND control, std::wstring name, std::function<std::wstring()> value = {},
                       std::wstring description = {});

// The name a label gives its control: its text without the trailing blanks
// and colon ("名前　：" names "名前").
std::wstring NameFromLabel(std::wstring label);

}  // namespace orbelune
