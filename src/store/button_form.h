// What the catalogue operations need of the main window: its entry fields,
// the hot-icon check box, the two parallel lists, the current button number,
// the previews, and the boxes through which the operations speak to the user.
#pragma once

#include "platform/prompts.h"
#include "store/button_record.h"
#include "store/catalogue_load.h"

#include <string>
#include <string_view>

namespace orbelune {

class ButtonForm : public CatalogueWindow, public Prompts {
public:
    using Field = ButtonField;
    enum class PreviewKind { Icon, HotIcon };

    virtual std::wstring FieldText(Field field) const = 0;
    // Sets a field's text; a real change of a path field runs its change rule.
    virtual void SetFieldText(Field field, std::wstring_view text) = 0;
    // kSameAsIconCheck: the button has no hot icon of its own.
    virtual bool HotIconSameAsIcon() const = 0;

    // kButtonNameList (names) and kButtonNumberList (numbers), index for index.
    virtual int SelectedIndex() const = 0;  // of kButtonNameList; -1 when none
    virtual int ButtonNameCount() const = 0;
    virtual int ButtonNumberCount() const = 0;
    virtual std::wstring ButtonNameAt(int index) const = 0;
    virtual std::wstring ButtonNumberAt(int index) const = 0;
    virtual void RemoveButtonNameAt(int index) = 0;
    virtual void RemoveButtonNumberAt(int index) = 0;
    virtual void ClearButtonLists() = 0;

    // The padded number of the button selected last; empty when none.
    virtual std::wstring CurrentButtonNumber() const = 0;
    virtual void SetCurrentButtonNumber(std::wstring_view number) = 0;

    // Loads the icon file into the preview and shows it; a failure leaves
    // the preview as it was.
    virtual void ShowIconInPreview(PreviewKind preview, const std::wstring& path) = 0;

protected:
    ~ButtonForm() = default;
};

}  // namespace orbelune
