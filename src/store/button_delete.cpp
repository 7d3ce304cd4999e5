#include "platform/registry.h"
#include "store/button_entry.h"
#include "store/button_id.h"
#include "store/button_operations.h"
#include "store/registry_layout.h"

#include <cstdint>

namespace orbelune {

namespace {
constexpr wchar_t kNothingSelected[] = L"データが選択されていません。";
}

void DeleteButton(ButtonForm& form) {
    const int index = form.SelectedIndex();
    if (index < 0) {
        form.Inform(kNothingSelected);
        return;
    }

    Registry registry;
    const std::wstring current = form.CurrentButtonNumber();
    const std::wstring id = ButtonIdentifier(current);
    // From here the button is going: a later edit must not write it back.
    form.SetCurrentButtonNumber(L"");

    if (registry.OpenKey(layout::kExtensionsKey, false)) registry.DeleteKey(id);
    registry.CloseKey();

    if (registry.OpenKey(layout::kCmdMappingKey, false)) registry.DeleteValue(id);
    registry.CloseKey();

    std::int32_t nextIdDef = 0;
    if (registry.OpenKey(layout::kCatalogueKey, false)) {
        registry.DeleteValue(ButtonNumValueName(PlainNumber(current)));
        nextIdDef = registry.ReadInteger(layout::kNextIdDef);
        form.RemoveButtonNumberAt(index);
        form.RemoveButtonNameAt(index);
        if (form.ButtonNameCount() == 0) registry.DeleteValue(layout::kButtonDat);
    }
    ClearEntryFields(form);
    registry.CloseKey();

    // Only a removal above can have emptied the list, so nextIdDef was read.
    if (form.ButtonNameCount() == 0 && registry.OpenKey(layout::kCmdMappingKey, false))
        registry.WriteInteger(layout::kNextId, nextIdDef);
}

}  // namespace orbelune
