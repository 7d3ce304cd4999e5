#include "platform/files.h"
#include "platform/registry.h"
#include "store/button_entry.h"
#include "store/button_id.h"
#include "store/button_operations.h"
#include "store/catalogue_load.h"
#include "store/registry_layout.h"

namespace orbelune {

namespace {

using Field = ButtonForm::Field;
constexpr wchar_t kNothingToEdit[] = L"編集ファイルが選択されていません";

std::wstring ExtensionKey(const std::wstring& paddedNumber) {
    return std::wstring(layout::kExtensionKeyPrefix) + ButtonIdentifier(paddedNumber);
}

}  // namespace

void SelectButton(ButtonForm& form) {
    Registry registry;
    const int index = form.SelectedIndex();
    if (index < 0 || index >= form.ButtonNumberCount()) return;
    if (form.ButtonNameAt(index).empty()) return;

    const std::wstring current = PaddedNumber(form.ButtonNumberAt(index));
    form.SetCurrentButtonNumber(current);
    if (!registry.OpenKey(ExtensionKey(current), false)) return;

    ReadExtensionValues(registry, form);

    const std::wstring icon = form.FieldText(Field::Icon);
    if (FileExists(icon)) form.ShowIconInPreview(ButtonForm::PreviewKind::Icon, icon);
    const std::wstring hotIcon = form.FieldText(Field::HotIcon);
    if (FileExists(hotIcon)) form.ShowIconInPreview(ButtonForm::PreviewKind::HotIcon, hotIcon);
}

void StoreButtonValues(const ButtonForm& form, const std::wstring& current) {
    Registry registry;
    const std::wstring number = PlainNumber(current);
    if (registry.OpenKey(layout::kCatalogueKey, false))
        registry.WriteString(ButtonNumValueName(number), form.FieldText(Field::Name));
    registry.CloseKey();

    if (registry.OpenKey(ExtensionKey(current), true)) WriteExtensionValues(registry, form);
    registry.CloseKey();
}

void EditButton(ButtonForm& form) {
    if (!CheckEntriesFilled(form)) return;
    const std::wstring current = form.CurrentButtonNumber();
    if (current.empty()) {
        form.Error(kNothingToEdit);
        return;
    }
    if (!ConfirmIconFiles(form)) return;

    StoreButtonValues(form, current);
    form.ClearButtonLists();
    LoadCatalogue(form);
    ClearEntryFields(form);
}

}  // namespace orbelune
