// The walks over a button's record (store/button_record.h) that creating,
// selecting and editing a button share: the entry check, reading the stored
// values into the fields, writing the fields into the extension key, and
// clearing the fields.
#pragma once

#include "store/button_form.h"
#include "store/button_record.h"

#include <string>

namespace orbelune {

class Registry;

// Steps 1 to 3: a field that must be filled and is empty (the empty string;
// blanks are text) shows "空白の項目があります". False when the operation stops.
bool CheckEntriesFilled(ButtonForm& form);

// Steps 4 to 6: an empty hot-icon path takes the icon path (and keeps it
// even when a later step stops); a missing icon or hot-icon file is asked
// about, and the answer No stops the operation.
bool ConfirmIconFiles(ButtonForm& form);

// The stored values of the open extension key into the fields, each as soon
// as it is read: a failure keeps those before.
void ReadExtensionValues(const Registry& registry, ButtonForm& form);

// ButtonText, CLSID, Exec, Icon and HotIcon into the open extension key.
void WriteExtensionValues(const Registry& registry, const ButtonForm& form);

// Empties the fields, but the hot-icon path while the hot icon is the icon.
void ClearEntryFields(ButtonForm& form);

}  // namespace orbelune
