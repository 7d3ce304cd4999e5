// The main window as the catalogue operations see it, without a window: the
// fields, the check box and the two lists held as plain values, the previews
// as the files they were given, and the boxes recorded by a RecordingPrompts.
#pragma once

#include "store/button_entry.h"
#include "store/button_form.h"
#include "support/recording_prompts.h"

#include <map>
#include <string>
#include <vector>

namespace orbelune::test {

class FakeButtonForm final : public ButtonForm {
public:
    explicit FakeButtonForm(RecordingPrompts& user) : user_(user) {}

    // What a click on the check box does to it and to the hot-icon field.
    void ToggleSameAsIcon() {
        sameAsIcon_ = !sameAsIcon_;
        fields_[Field::HotIcon] = sameAsIcon_ ? kSameAsIcon : L"";
    }
    // The name list's selection, as a click (or -1 for none) leaves it.
    void Select(int index) { selected_ = index; }

    std::vector<std::wstring> names;
    std::vector<std::wstring> numbers;
    std::wstring iconFolder;
    std::map<PreviewKind, std::wstring> previews;  // the file each preview was last given

    std::wstring FieldText(Field field) const override {
        const auto text = fields_.find(field);
        return text == fields_.end() ? std::wstring() : text->second;
    }
    void SetFieldText(Field field, std::wstring_view text) override { fields_[field] = text; }
    bool HotIconSameAsIcon() const override { return sameAsIcon_; }
    int SelectedIndex() const override { return selected_; }
    int ButtonNameCount() const override { return static_cast<int>(names.size()); }
    int ButtonNumberCount() const override { return static_cast<int>(numbers.size()); }
    std::wstring ButtonNameAt(int index) const override { return At(names, index); }
    std::wstring ButtonNumberAt(int index) const override { return At(numbers, index); }
    void RemoveButtonNameAt(int index) override {
        names.erase(names.begin() + index);
        // A list box loses its selection with the selected item.
        if (selected_ == index) selected_ = -1;
        else if (selected_ > index) --selected_;
    }
    void RemoveButtonNumberAt(int index) override { numbers.erase(numbers.begin() + index); }
    void ClearButtonLists() override {
        names.clear();
        numbers.clear();
        selected_ = -1;
    }
    std::wstring CurrentButtonNumber() const override { return current_; }
    void SetCurrentButtonNumber(std::wstring_view number) override { current_ = number; }
    void ShowIconInPreview(PreviewKind preview, const std::wstring& path) override { previews[preview] = path; }

    void AppendButtonName(std::wstring_view name) override { names.emplace_back(name); }
    void AppendButtonNumber(std::wstring_view number) override { numbers.emplace_back(number); }
    void SetIconFolder(std::wstring_view folder) override { iconFolder = folder; }

    void Inform(std::wstring_view text) override { user_.Inform(text); }
    BoxResult Confirm(std::wstring_view text) override { return user_.Confirm(text); }
    void Error(std::wstring_view text) override { user_.Error(text); }

private:
    static std::wstring At(const std::vector<std::wstring>& list, int index) {
        return index >= 0 && index < static_cast<int>(list.size()) ? list[static_cast<std::size_t>(index)]
                                                                   : std::wstring();
    }

    RecordingPrompts& user_;
    std::map<Field, std::wstring> fields_{{Field::HotIcon, kSameAsIcon}};  // the others empty
    bool sameAsIcon_ = true;
    int selected_ = -1;
    std::wstring current_;
};

}  // namespace orbelune::test
