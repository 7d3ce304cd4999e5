// The icons of any file, as the platform's icon extraction (ExtractIconW,
// PrivateExtractIconsW) numbers and makes them, read through the checked
// readers only: a program or library (32-, 64- or 16-bit) or an icon file
// is mapped and walked as the platform maps and walks it, and any other
// file has no icons. Nothing of a file reaches a platform call before it
// has been checked: a file the platform could only read beyond its view of
// the file (past the file's last page) is refused, and an image the
// platform could not read safely is made into no icon.
#pragma once

#include "platform/handle.h"
#include "platform/pe_resources.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orbelune {

inline void CloseMapping(HANDLE h) noexcept { ::CloseHandle(h); }
inline void UnmapView(const void* view) noexcept { ::UnmapViewOfFile(view); }
using UniqueMapping = Unique<NullTraits<HANDLE, &CloseMapping>>;
using UniqueView = Unique<NullTraits<const void*, &UnmapView>>;

// The most bytes of one icon image that are read into memory, for an icon
// kept after its file is closed (IconImage): far more than any icon needs
// (a 256 x 256 image in 32 bits takes 270,336 bytes). Images read through a
// mapped file (ExecutableIcons) have no bound but the file's, and the bound
// is on what an image needs, not on the size its entry states.
inline constexpr std::uint32_t kLargestIconImage = 64u * 1024 * 1024;

// The bytes of one icon image, valid while the object that gave them lives
// and until it gives the next; empty for none.
struct ImageBytes {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    explicit operator bool() const noexcept { return data != nullptr; }
};

class ExecutableIcons {
public:
    // Failure: "ファイル %s は開けません" when the file cannot be opened or
    // a program or icon file cannot be mapped (a file larger than the
    // address space can hold).
    explicit ExecutableIcons(const std::wstring& path);
    ExecutableIcons(const ExecutableIcons&) = delete;
    ExecutableIcons& operator=(const ExecutableIcons&) = delete;

    // Whether the file was refused: a program or an icon file whose icons
    // the platform could only read by reading beyond its view of the file
    // (MappedReach), or one of whose images it might read anywhere for. Its
    // count is 0.
    bool Refused() const noexcept { return refused_; }

    // The number of icons, the platform's.
    int Count() const noexcept;

    // The image the platform makes the icon at an index from, chosen for a
    // width x height icon at the display's colour depth as the platform
    // chooses it; empty past the end and where the platform finds none. Its
    // size is the stated one cut to the view's end, which the platform makes
    // the same icon of; its bytes are readable to there (zeros past the
    // file's end).
    // Every few hundred images of a program the file is mapped afresh, so
    // that the pages read so far leave the working set.
    ImageBytes ChosenImage(std::size_t index, int width, int height) const;
    // The image's pixels, decoded straight from its bytes when it is a plain
    // image of exactly side x side (see DecodeIconPixels); false otherwise,
    // and the icon is to be made by Make.
    static bool Pixels(ImageBytes image, int side, std::uint32_t* colour, std::uint8_t* mask);
    // The image made into an icon at that size, as the platform makes it;
    // nullptr for none, or for an image the platform cannot read safely.
    static HICON Make(ImageBytes image, int width, int height);

    // The icon the platform's extraction gives for an index at size x size:
    // a negative index names a program's icon group by its ID. nullptr for
    // none.
    HICON Make(int index, int size) const;

private:
    const std::uint8_t* View() const noexcept { return static_cast<const std::uint8_t*>(view_.Get()); }
    void OpenProgram();
    void OpenIconFile();
    // Maps the file again, leaving the pages read so far.
    void MapAfresh() const;

    UniqueFile file_;  // held open, shared for reading only, while it is read
    UniqueMapping mapping_;
    mutable UniqueView view_;
    SIZE_T viewSize_ = 0;
    mutable std::size_t chosenSinceMapped_ = 0;
    bool refused_ = false;
    std::optional<ProgramIcons> program_;
    // An icon file: the directory its images are chosen from and the file's
    // header and entries.
    std::vector<std::uint8_t> iconDirectory_;
    std::vector<std::uint8_t> iconEntries_;
};

// The icon the platform's extraction gives for a file at an index (negative:
// a program's group ID) and size x size, read through ExecutableIcons; the
// path is looked for as the platform looks for it. nullptr for none, for a
// file that cannot be read and for a refused one.
HICON ExtractCheckedIcon(const std::wstring& path, int index, int size);

}  // namespace orbelune
