// The icons of a file the picker lists. A Windows program or library (PE)
// is read once, mapped, through the checked reader, and its icons are made
// from the checked resource bytes exactly as the platform's extraction makes
// them; a damaged one is refused before the platform sees it. Other files
// (16-bit programs, icon files, anything else) are left to the platform's
// extraction, icon files only once their directory has been checked.
#pragma once

#include "platform/handle.h"
#include "platform/pe_resources.h"

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

namespace orbelune {

inline void CloseMapping(HANDLE h) noexcept { ::CloseHandle(h); }
inline void UnmapView(const void* view) noexcept { ::UnmapViewOfFile(view); }
using UniqueMapping = Unique<NullTraits<HANDLE, &CloseMapping>>;
using UniqueView = Unique<NullTraits<const void*, &UnmapView>>;

class ExecutableIcons {
public:
    // Failure: "ファイル %s は開けません" when the file cannot be opened or
    // mapped.
    explicit ExecutableIcons(const std::wstring& path);
    ExecutableIcons(const ExecutableIcons&) = delete;
    ExecutableIcons& operator=(const ExecutableIcons&) = delete;

    // Whether the file was refused: a damaged PE file, an "MZ" file whose
    // headers lie outside it, or an icon file whose directory does not fit
    // it. Nothing of it may reach the platform's extraction.
    bool Refused() const noexcept { return refused_; }
    // Whether the file is a checked PE file whose icons Count and Make give;
    // false for files left to the platform.
    bool Checked() const noexcept { return icons_.has_value(); }

    // The number of icons of a checked file.
    int Count() const noexcept;
    // The icon at an index of a checked file, the very image that
    // ExtractIconW gives for it: the group's image for the standard icon
    // size at the display's colour depth, made at that size. Null past the
    // end or when the platform makes none. Every few hundred icons the file
    // is mapped afresh, so that the pages read so far leave the working set.
    HICON Make(std::size_t index) const { return Make(index, iconWidth_, iconHeight_); }
    // The same image choice for a size x size icon, made at that size.
    HICON Make(std::size_t index, int size) const { return Make(index, size, size); }

    // The image Make chooses for an index and a size, the platform's own
    // choice; nullptr past the end. Choosing it once serves both of:
    const IconResource* ChosenImage(std::size_t index, int width, int height) const;
    // the chosen image's pixels, decoded straight from the checked resource
    // when it is a plain image of exactly side x side (see
    // DecodeIconPixels); false otherwise, and the icon is to be made by Make;
    bool Pixels(const IconResource* image, int side, std::uint32_t* colour, std::uint8_t* mask) const;
    // the chosen image made into an icon at that size; nullptr for none.
    HICON Make(const IconResource* image, int width, int height) const;

private:
    const std::uint8_t* Bytes() const noexcept { return static_cast<const std::uint8_t*>(view_.Get()); }
    HICON Make(std::size_t index, int width, int height) const;
    // Maps the file again, leaving the pages read so far.
    void MapAfresh() const;

    UniqueFile file_;  // held open, shared for reading only, while the view is used
    UniqueMapping mapping_;
    mutable UniqueView view_;
    SIZE_T viewSize_ = 0;
    mutable std::size_t madeSinceMapped_ = 0;
    bool refused_ = false;
    std::optional<PeIcons> icons_;
    int iconWidth_ = 32;
    int iconHeight_ = 32;
};

}  // namespace orbelune
