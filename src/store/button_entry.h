// The pieces that creating and editing a button share: the entry check, the
// extension values, the hot-icon rule and clearing the entry fields.
#pragma once

#include "store/button_form.h"

#include <functional>
#include <string>

namespace orbelune {

class Registry;

inline constexpr wchar_t kSameAsIcon[] = L"アイコンと同じ";

// Steps 1 to 3: an empty name, link target or icon path (the empty string;
// blanks are text) shows "空白の項目があります". False when the operation stops.
bool CheckEntriesFilled(ButtonForm& form);

// Steps 4 to 6: an empty hot-icon path takes the icon path (and keeps it
// even when a later step stops); a missing icon or hot-icon file is asked
// about, and the answer No stops the operation.
bool ConfirmIconFiles(ButtonForm& form);

// The text stored as HotIcon: the hot-icon path unless it is empty or
// "アイコンと同じ", then the icon path.
std::wstring HotIconText(const ButtonForm& form);

// ButtonText, CLSID, Exec, Icon and HotIcon into the open extension key.
void WriteExtensionValues(const Registry& registry, const ButtonForm& form);

// Empties the name, link target and icon path, and the hot-icon path unless
// the hot icon is the icon.
void ClearEntryFields(ButtonForm& form);

}  // namespace orbelune
