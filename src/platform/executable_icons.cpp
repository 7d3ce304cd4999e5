#include "platform/executable_icons.h"

#include "platform/icon_pixels.h"

#include "platform/failure.h"
#include "platform/ico_file.h"

namespace orbelune {

namespace {

constexpr wchar_t kCannotOpen[] = L"ファイル %s は開けません";

// The file's pages that a listing has read leave the working set after this
// many icons: a listing holds the icons it lists, not the whole file.
constexpr std::size_t kIconsPerView = 256;

}  // namespace

ExecutableIcons::ExecutableIcons(const std::wstring& path) {
    // Shared for reading only, as the platform's extraction opens it: nobody
    // can cut the file short under the view while it is read.
    file_.Reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) Fail(kCannotOpen, path);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file_.Get(), &size)) Fail(kCannotOpen, path);
    const auto fileSize = static_cast<std::uint64_t>(size.QuadPart);
    if (fileSize < 2) return;  // no program: the platform's

    // A file beyond the reader's cap is never mapped whole: its first bytes
    // tell whether it claims to be a program (refused) or not (the platform's).
    const bool tooLarge = fileSize > kLargestListedExecutable;
    const auto viewSize = static_cast<SIZE_T>(tooLarge ? 2 : fileSize);
    viewSize_ = viewSize;
    mapping_.Reset(::CreateFileMappingW(file_.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping_) Fail(kCannotOpen, path);
    view_.Reset(::MapViewOfFile(mapping_.Get(), FILE_MAP_READ, 0, 0, viewSize));
    if (!view_) Fail(kCannotOpen, path);
    const auto* bytes = Bytes();
    if (tooLarge) {
        refused_ = bytes[0] == 'M' && bytes[1] == 'Z';
        return;
    }
    switch (ClassifyExecutable(bytes, viewSize)) {
    case ExecutableKind::Pe:
        icons_ = ReadPeIcons(bytes, viewSize);
        refused_ = !icons_;
        break;
    case ExecutableKind::Damaged:
        refused_ = true;
        break;
    case ExecutableKind::NotExecutable:
        // What the platform takes for an icon file (reserved 0, type 1, some
        // images) it reads without checking its directory: refused unless
        // every image lies inside the file.
        if (viewSize >= kIcoHeaderSize && bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 1 && bytes[3] == 0 &&
            IcoImageCount(bytes) > 0 && !ReadIcoDirectory(bytes, viewSize))
            refused_ = true;
        break;
    case ExecutableKind::OtherExecutable:
        break;
    }
    // The size ExtractIconW asks for.
    iconWidth_ = ::GetSystemMetrics(SM_CXICON);
    iconHeight_ = ::GetSystemMetrics(SM_CYICON);
    if (icons_) MapAfresh();  // the checks went through every page
}

void ExecutableIcons::MapAfresh() const {
    // The same bytes (nobody may write the file while it is open here), but
    // none of its pages resident any more.
    view_.Reset();
    view_.Reset(::MapViewOfFile(mapping_.Get(), FILE_MAP_READ, 0, 0, viewSize_));
    madeSinceMapped_ = 0;
}

int ExecutableIcons::Count() const noexcept { return icons_ ? static_cast<int>(icons_->groups.size()) : 0; }

const IconResource* ExecutableIcons::ChosenImage(std::size_t index, int width, int height) const {
    if (!icons_ || index >= icons_->groups.size()) return nullptr;
    if (++madeSinceMapped_ > kIconsPerView) MapAfresh();
    if (!view_) return nullptr;
    // The platform's own choice, reading only what the reader checked: the
    // group's directory with all its entries.
    auto* group = const_cast<BYTE*>(Bytes() + icons_->groups[index].offset);
    const int id = ::LookupIconIdFromDirectoryEx(group, TRUE, width, height, LR_DEFAULTCOLOR);
    return id > 0 && id <= 0xFFFF ? icons_->Icon(static_cast<std::uint16_t>(id)) : nullptr;
}

bool ExecutableIcons::Pixels(const IconResource* image, int side, std::uint32_t* colour, std::uint8_t* mask) const {
    return image && view_ && DecodeIconPixels(Bytes() + image->bytes.offset, image->bytes.size, side, colour, mask);
}

HICON ExecutableIcons::Make(std::size_t index, int width, int height) const {
    return Make(ChosenImage(index, width, height), width, height);
}

HICON ExecutableIcons::Make(const IconResource* image, int width, int height) const {
    if (!image) return nullptr;
    // The chosen image with everything its header promises, checked.
    return ::CreateIconFromResourceEx(const_cast<BYTE*>(Bytes() + image->bytes.offset), image->bytes.size, TRUE,
                                      0x00030000, width, height, LR_DEFAULTCOLOR);
}

}  // namespace orbelune
