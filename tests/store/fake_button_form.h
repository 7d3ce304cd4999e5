// The main window as the catalogue operations see it, without a window: the
// form the program holds in memory for the same purpose, whose previews
// record the files they were given and whose boxes a RecordingPrompts
// records.
#pragma once

#include "store/button_entry.h"
#include "store/detached_form.h"
#include "support/recording_prompts.h"

#include <map>
#include <string>

namespace orbelune::test {

class FakeButtonForm final : public DetachedButtonForm {
public:
    explicit FakeButtonForm(RecordingPrompts& user) : DetachedButtonForm(user) {}

    // What a click on the check box does to it and to the hot-icon field.
    void ToggleSameAsIcon() { SetSameAsIcon(!HotIconSameAsIcon()); }

    std::map<PreviewKind, std::wstring> previews;  // the file each preview was last given
    void ShowIconInPreview(PreviewKind preview, const std::wstring& path) override { previews[preview] = path; }
};

}  // namespace orbelune::test
