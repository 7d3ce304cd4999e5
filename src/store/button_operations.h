// The catalogue operations behind the main window's buttons and list.
#pragma once

#include "store/button_form.h"

#include <string>

namespace orbelune {

// "作成": a new toolbar button from the entry fields.
void CreateButton(ButtonForm& form);

// A selection in the name list: the button's stored values into the fields.
void SelectButton(ButtonForm& form);

// "編集": the fields written back to the current button; the lists reloaded.
void EditButton(ButtonForm& form);

// The writes of "編集" without its checks and the reload of the lists: the
// fields into button `current` (its padded number), as its catalogue name
// and the values of its extension key.
void StoreButtonValues(const ButtonForm& form, const std::wstring& current);

// "削除": the selected button removed from the registry and the lists.
void DeleteButton(ButtonForm& form);

}  // namespace orbelune
