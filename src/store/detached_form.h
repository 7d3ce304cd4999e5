// The main window's state as the catalogue operations see it, held in
// memory: the fields, the check box, the two lists and the current number,
// for running the very operations of the window's buttons without it (an
// import, the console companion). Questions go to the Prompts it is given.
#pragma once

#include "store/button_form.h"

#include <array>
#include <string>
#include <vector>

namespace orbelune {

class DetachedButtonForm : public ButtonForm {
public:
    explicit DetachedButtonForm(Prompts& prompts) : prompts_(prompts) {}
    virtual ~DetachedButtonForm() = default;
    DetachedButtonForm(const DetachedButtonForm&) = delete;
    DetachedButtonForm& operator=(const DetachedButtonForm&) = delete;

    std::vector<std::wstring> names, numbers;  // the two lists, index for index
    std::wstring iconFolder;

    // The fields of a button to create or edit; the hot icon empty while it is the icon.
    void Fill(std::wstring_view name, std::wstring_view target, std::wstring_view icon, std::wstring_view hotIcon) {
        fields_ = {std::wstring(name), std::wstring(target), std::wstring(icon), std::wstring(hotIcon)};
        sameAsIcon_ = hotIcon.empty();
        if (sameAsIcon_) fields_[Index(Field::HotIcon)] = kSameAsIcon;
    }
    void Select(int index) { selected_ = index; }
    // What the check box does: ticked, the hot-icon field shows "アイコンと同じ";
    // unticked, it is empty.
    void SetSameAsIcon(bool same) {
        sameAsIcon_ = same;
        fields_[Index(Field::HotIcon)] = same ? kSameAsIcon : L"";
    }

    std::wstring FieldText(Field field) const override { return fields_[Index(field)]; }
    void SetFieldText(Field field, std::wstring_view text) override { fields_[Index(field)] = text; }
    bool HotIconSameAsIcon() const override { return sameAsIcon_; }
    int SelectedIndex() const override { return selected_; }
    int ButtonNameCount() const override { return static_cast<int>(names.size()); }
    int ButtonNumberCount() const override { return static_cast<int>(numbers.size()); }
    std::wstring ButtonNameAt(int index) const override { return At(names, index); }
    std::wstring ButtonNumberAt(int index) const override { return At(numbers, index); }
    void RemoveButtonNameAt(int index) override {
        names.erase(names.begin() + index);
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
    void ShowIconInPreview(PreviewKind, const std::wstring&) override {}

    void AppendButtonName(std::wstring_view name) override { names.emplace_back(name); }
    void AppendButtonNumber(std::wstring_view number) override { numbers.emplace_back(number); }
    void SetIconFolder(std::wstring_view folder) override { iconFolder = folder; }
    void BeginAppendingButtons(std::size_t count, std::size_t) override {
        names.reserve(names.size() + count);
        numbers.reserve(numbers.size() + count);
    }

    void Inform(std::wstring_view text) override { prompts_.Inform(text); }
    BoxResult Confirm(std::wstring_view text) override { return prompts_.Confirm(text); }
    void Error(std::wstring_view text) override { prompts_.Error(text); }

private:
    static std::size_t Index(Field field) { return static_cast<std::size_t>(field); }
    static std::wstring At(const std::vector<std::wstring>& list, int index) {
        return index >= 0 && index < static_cast<int>(list.size()) ? list[static_cast<std::size_t>(index)]
                                                                   : std::wstring();
    }

    Prompts& prompts_;
    std::array<std::wstring, 4> fields_{L"", L"", L"", kSameAsIcon};
    bool sameAsIcon_ = true;
    int selected_ = -1;
    std::wstring current_;
};

}  // namespace orbelune
