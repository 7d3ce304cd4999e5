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
#include "platform/icon_pixels.h"
#include "platform/pe_resources.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
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
// `size` is what the platform is handed; it may read further (see
// MappedImageLength), and `readable` bytes from `data` hold what it reads
// there.
struct ImageBytes {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t readable = 0;  // 0: size
    explicit operator bool() const noexcept { return data != nullptr; }
    std::size_t Readable() const noexcept { return readable > size ? readable : size; }
};

// A copy of all the platform may read of an image, to make it into an icon
// elsewhere or later: zeros past a short image, never whatever lies past the
// copy in memory.
struct ImageCopy {
    std::vector<std::uint8_t> bytes;
    std::size_t size = 0;
    ImageCopy() = default;
    explicit ImageCopy(const ImageBytes& image) : bytes(image.data, image.data + image.Readable()), size(image.size) {
        if (image) bytes.resize(std::max(bytes.size(), IconImageReach(image.data, image.size)));
    }
    ImageBytes Bytes() const noexcept {
        return bytes.empty() ? ImageBytes{} : ImageBytes{bytes.data(), size, bytes.size()};
    }
    bool Empty() const noexcept { return bytes.empty(); }
};

class ExecutableIcons {
public:
    // Failure: "ファイル %s は開けません" when the file cannot be opened or
    // a program or icon file cannot be mapped (a file larger than the
    // address space can hold). With NamedImages::Deferred a program's
    // images are judged by JudgeNamedImages, in steps, or when an icon is
    // made; until then the file is refused only for what its structure
    // shows.
    explicit ExecutableIcons(const std::wstring& path, NamedImages named = NamedImages::Judged);
    ExecutableIcons(const ExecutableIcons&) = delete;
    ExecutableIcons& operator=(const ExecutableIcons&) = delete;

    // Whether the file was refused: a program or an icon file whose icons
    // the platform could only read by reading beyond its view of the file
    // (MappedReach), or one of whose images it might read anywhere for. Its
    // count is 0.
    bool Refused() const noexcept { return refused_; }

    // The number of icons, the platform's.
    int Count() const noexcept;

    // Judges the images the next `groups` icons name, as a Judged reading
    // does; Refused (and the file is refused) when one is unsafe, Done when
    // every icon is judged.
    enum class Judging { More, Done, Refused };
    Judging JudgeNamedImages(std::size_t groups);

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

    // Lets go of the file until an image is next asked for: it may then be
    // deleted or changed, and what was read of it leaves the working set.
    // It is opened again only when it is still the file that was checked,
    // unchanged; otherwise no image is given any more.
    void LeaveFile() const;
    // Whether the file is still the one checked, unchanged (opening it again
    // after LeaveFile).
    bool Unchanged() const { return Reopen(); }

    // Forgets the platform's choices of images asked so far: after the
    // display's colour depth changed.
    void ForgetChoices() const;

    // The icon the platform's extraction gives for an index at size x size:
    // a negative index names a program's icon group by its ID. nullptr for
    // none.
    HICON Make(int index, int size) const;

private:
    const std::uint8_t* View() const noexcept { return static_cast<const std::uint8_t*>(view_.Get()); }
    void OpenProgram();
    void OpenIconFile();
    // The image ID the platform's extraction chooses from a group's
    // directory in the view.
    ChosenImageId ExtractionChoice() const;
    // The image ID the platform chooses from a group's directory (of which
    // `readable` bytes can be read) for a width x height icon.
    int ChooseImage(const std::uint8_t* directory, std::size_t readable, int width, int height) const;
    // The same for the group directory at an offset of the file.
    int ChooseFromGroup(std::uint32_t group, int width, int height) const;
    // A listing's reads through its pages: a byte of the file (zeros past
    // its end), a group's directory as the platform reads it, and the
    // image at an offset stated `size` bytes long, as the platform is
    // handed it (see MappedImageLength).
    std::uint8_t PagedByte(std::uint64_t offset) const;
    std::vector<std::uint8_t> PagedDirectory(std::uint32_t group) const;
    ImageBytes ListedImage(std::uint32_t offset, std::uint32_t size) const;
    // An image at an offset, handed to the platform `length` bytes long, of
    // which it reads `reads` bytes: through the view where the view holds
    // them and there are more than `copiedUpTo`, else read into memory.
    ImageBytes HeldImage(std::uint64_t offset, std::uint64_t length, std::uint64_t reads,
                         std::uint64_t copiedUpTo) const;
    // Maps the file again, leaving the pages read so far.
    void MapAfresh() const;

    // What tells the file checked from any other, or from itself changed.
    struct FileIdentity {
        DWORD volume = 0;
        std::uint64_t index = 0, size = 0, written = 0, changed = 0;
        bool operator==(const FileIdentity&) const = default;
    };
    static bool IdentityOf(HANDLE file, FileIdentity& identity);
    // Opens the file again after LeaveFile; false when it is not the one
    // checked.
    bool Reopen() const;

    mutable UniqueFile file_;  // held open, shared for reading only, while it is read
    std::wstring path_;
    FileIdentity identity_;
    bool identified_ = false;
    mutable bool changed_ = false;
    bool deferred_ = false;     // the named images are judged one group at a time
    std::size_t judged_ = 0;    // the groups judged so far
    mutable UniqueMapping mapping_;
    mutable UniqueView view_;
    SIZE_T viewSize_ = 0;
    mutable std::size_t chosenSinceMapped_ = 0;
    bool refused_ = false;
    std::optional<ProgramIcons> program_;
    // A listing's reads of the program's structure, not through the view.
    mutable std::unique_ptr<PagedReads> structure_;
    // Choices the platform made, by the kind of directory: its header and
    // its entries without their image IDs, and the entry chosen.
    struct Choice {
        int width, height;
        std::vector<std::uint8_t> kind;
        std::size_t entry;
    };
    mutable std::vector<Choice> choices_;
    mutable std::vector<std::uint8_t> imageCopy_;  // the image ListedImage gave last
    mutable std::size_t nextChoice_ = 0;
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
