#include "platform/executable_icons.h"

#include "platform/failure.h"
#include "platform/ico_file.h"
#include "platform/icon_pixels.h"

#include <memory>

namespace orbelune {

namespace {

constexpr wchar_t kCannotOpen[] = L"ファイル %s は開けません";

// The file's pages that a listing has read leave the working set after this
// many icons: a listing holds the icons it lists, not the whole file.
constexpr std::size_t kIconsPerView = 256;
// Judging touches two or three pages an icon and keeps nothing of them.
constexpr std::size_t kJudgedPerView = 32;

std::uint32_t Dword(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// An icon file's directory entry: the image's size at 8, its offset at 12.
std::uint32_t ImageSize(const std::uint8_t* entry) { return Dword(entry + 8); }
std::uint32_t ImageOffset(const std::uint8_t* entry) { return Dword(entry + 12); }

HANDLE OpenShared(const std::wstring& path) {
    return ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
}

bool ReadAt(HANDLE file, std::uint64_t offset, void* buffer, DWORD size) {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(offset);
    DWORD read = 0;
    return ::SetFilePointerEx(file, position, nullptr, FILE_BEGIN) &&
           ::ReadFile(file, buffer, size, &read, nullptr) && read == size;
}

}  // namespace

ExecutableIcons::ExecutableIcons(const std::wstring& path, NamedImages named)
    : deferred_(named == NamedImages::Deferred) {
    // Shared for reading only, as the platform's extraction opens it: nobody
    // can cut the file short while it is read.
    file_.Reset(OpenShared(path));
    if (!file_) Fail(kCannotOpen, path);
    identified_ = IdentityOf(file_.Get(), identity_);
    path_ = path;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file_.Get(), &size)) Fail(kCannotOpen, path);
    const auto fileSize = static_cast<std::uint64_t>(size.QuadPart);

    // What the platform goes by: "MZ" for a program, else the icon file's
    // type word.
    std::uint8_t head[4] = {};
    const auto headSize = static_cast<DWORD>(fileSize < sizeof head ? fileSize : sizeof head);
    if (!ReadAt(file_.Get(), 0, head, headSize)) Fail(kCannotOpen, path);
    if (head[0] == 'M' && head[1] == 'Z') {
        OpenProgram(fileSize);
        if (!view_ && !refused_) Fail(kCannotOpen, path);
    } else if (head[2] == 1 && head[3] == 0) {
        OpenIconFile(fileSize);
    }
}

void ExecutableIcons::OpenProgram(std::uint64_t fileSize) {
    if (fileSize > kLargestListedExecutable) {
        refused_ = true;
        return;
    }
    viewSize_ = static_cast<SIZE_T>(fileSize);
    mapping_.Reset(::CreateFileMappingW(file_.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping_) return;
    view_.Reset(::MapViewOfFile(mapping_.Get(), FILE_MAP_READ, 0, 0, viewSize_));
    if (!view_) return;
    program_ = ReadProgramIcons(View(), viewSize_, deferred_ ? NamedImages::Deferred : NamedImages::Judged);
    refused_ = !program_;
    MapAfresh();  // the checks went through every page
}

void ExecutableIcons::OpenIconFile(std::uint64_t fileSize) {
    // The platform takes reserved 0, type 1 and at least one image for an
    // icon file, and reads its directory and the chosen image unchecked.
    std::vector<std::uint8_t> head(kIcoHeaderSize);
    if (!ReadAt(file_.Get(), 0, head.data(), static_cast<DWORD>(fileSize < kIcoHeaderSize ? fileSize : kIcoHeaderSize)))
        return;
    if (head[0] != 0 || head[1] != 0) return;
    // Its image count lies past a shorter file's end.
    if (fileSize < kIcoHeaderSize) {
        refused_ = true;
        return;
    }
    if (IcoImageCount(head.data()) == 0) return;
    const std::uint64_t directoryEnd = IcoDirectoryEnd(head.data());
    head.resize(static_cast<std::size_t>(directoryEnd < fileSize ? directoryEnd : fileSize));
    if (directoryEnd > fileSize ||
        !ReadAt(file_.Get(), kIcoHeaderSize, head.data() + kIcoHeaderSize,
                static_cast<DWORD>(head.size() - kIcoHeaderSize))) {
        refused_ = true;
        return;
    }
    // Whichever image the platform chooses it reads: each must lie inside
    // the file and be one the platform reads safely.
    for (unsigned i = 0; i < IcoImageCount(head.data()); ++i) {
        const std::uint8_t* e = head.data() + kIcoHeaderSize + i * kIcoEntrySize;
        const std::uint64_t bytes = ImageSize(e), offset = ImageOffset(e);
        std::uint8_t start[48] = {};
        const auto read = static_cast<DWORD>(bytes < sizeof start ? bytes : sizeof start);
        if (offset + bytes > fileSize || !ReadAt(file_.Get(), offset, start, read) ||
            JudgeIconImage(start, read) == PlatformImage::Unsafe || offset + IconImageReach(start, read) > fileSize) {
            refused_ = true;
            return;
        }
    }
    iconDirectory_ = IcoResourceDirectory(head.data());
    iconEntries_ = std::move(head);
}

void ExecutableIcons::MapAfresh() const {
    // The same bytes (nobody may write the file while it is open here), but
    // none of its pages resident any more.
    view_.Reset();
    if (!mapping_) mapping_.Reset(::CreateFileMappingW(file_.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (mapping_) view_.Reset(::MapViewOfFile(mapping_.Get(), FILE_MAP_READ, 0, 0, viewSize_));
    chosenSinceMapped_ = 0;
}

bool ExecutableIcons::IdentityOf(HANDLE file, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandle(file, &info) ||
        !::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic))
        return false;
    identity = {info.dwVolumeSerialNumber,
                std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow,
                std::uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow,
                static_cast<std::uint64_t>(basic.LastWriteTime.QuadPart),
                static_cast<std::uint64_t>(basic.ChangeTime.QuadPart)};
    return true;
}

void ExecutableIcons::LeaveFile() const {
    if (!identified_) return;  // it could not be told again
    view_.Reset();
    mapping_.Reset();
    file_.Reset();
}

bool ExecutableIcons::Reopen() const {
    if (file_) return true;
    if (changed_) return false;
    // Only the very bytes that were checked are read: the same file, of the
    // same size, unwritten since (a write, or a time set back, moves its
    // change time).
    UniqueFile file(OpenShared(path_));
    FileIdentity now;
    if (!file || !IdentityOf(file.Get(), now) || !(now == identity_)) {
        changed_ = true;
        return false;
    }
    file_ = std::move(file);
    return true;
}

ExecutableIcons::Judging ExecutableIcons::JudgeNamedImages(std::size_t groups) {
    if (refused_) return Judging::Refused;
    if (!program_ || !deferred_ || judged_ >= program_->groups.size()) return Judging::Done;
    if (!Reopen()) return Judging::Done;  // nothing more is made of a changed file
    for (std::size_t n = 0; n < groups && judged_ < program_->groups.size(); ++n, ++judged_) {
        // Every few icons the pages read so far leave the working set.
        if (!view_ || ++chosenSinceMapped_ > kJudgedPerView) MapAfresh();
        if (!view_) return Judging::Done;
        if (!NamedImagesSafe(View(), viewSize_, *program_, judged_)) {
            refused_ = true;
            program_.reset();
            return Judging::Refused;
        }
    }
    return judged_ >= program_->groups.size() ? Judging::Done : Judging::More;
}

int ExecutableIcons::Count() const noexcept {
    if (program_) return static_cast<int>(program_->groups.size());
    return iconDirectory_.empty() ? 0 : 1;
}

ImageBytes ExecutableIcons::ChosenImage(std::size_t index, int width, int height) const {
    if (!Reopen()) return {};
    if (!iconDirectory_.empty()) {
        if (index != 0) return {};
        const int chosen = ::LookupIconIdFromDirectoryEx(const_cast<BYTE*>(iconDirectory_.data()), TRUE, width,
                                                         height, LR_DEFAULTCOLOR);
        if (chosen < 0 || static_cast<unsigned>(chosen) >= IcoImageCount(iconEntries_.data())) return {};
        const std::uint8_t* e = iconEntries_.data() + kIcoHeaderSize + static_cast<std::size_t>(chosen) * kIcoEntrySize;
        const std::uint32_t bytes = ImageSize(e), offset = ImageOffset(e);
        if (bytes == 0 || bytes > kLargestIconImage) return {};
        // With what follows it, as far as the platform reads past a short
        // image (IconImageReach), and no further than the file.
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(file_.Get(), &size)) return {};
        const std::uint64_t after = static_cast<std::uint64_t>(size.QuadPart) - (std::uint64_t{offset} + bytes);
        const auto following = static_cast<DWORD>(after < 48 ? after : 48);
        iconImage_.assign(std::size_t{bytes} + 48, 0);
        if (!ReadAt(file_.Get(), offset, iconImage_.data(), bytes + following)) return {};
        return {iconImage_.data(), bytes};
    }
    if (!program_ || index >= program_->groups.size() || !program_->groups[index]) return {};
    if (!view_ || ++chosenSinceMapped_ > kIconsPerView) MapAfresh();
    if (!view_) return {};
    // An icon not judged yet is made only from images the platform reads
    // safely.
    if (deferred_ && index >= judged_ && !NamedImagesSafe(View(), viewSize_, *program_, index)) return {};
    // The platform's own choice, from the group's directory, which the
    // reader found inside the file with all its entries.
    auto* group = const_cast<BYTE*>(View() + *program_->groups[index]);
    const int id = ::LookupIconIdFromDirectoryEx(group, TRUE, width, height, LR_DEFAULTCOLOR);
    const auto image = program_->Image(static_cast<std::uint16_t>(id));
    if (!image) return {};
    return {View() + image->offset, image->size};
}

bool ExecutableIcons::Pixels(ImageBytes image, int side, std::uint32_t* colour, std::uint8_t* mask) {
    return image && DecodeIconPixels(image.data, image.size, side, colour, mask);
}

HICON ExecutableIcons::Make(ImageBytes image, int width, int height) {
    if (!image || !IconImageFitsPlatform(image.data, image.size)) return nullptr;
    return ::CreateIconFromResourceEx(const_cast<BYTE*>(image.data), static_cast<DWORD>(image.size), TRUE,
                                      0x00030000, width, height, LR_DEFAULTCOLOR);
}

HICON ExecutableIcons::Make(int index, int size) const {
    std::size_t at;
    if (!iconDirectory_.empty()) {
        // The platform takes any index below one for an icon file's icon.
        if (index > 0) return nullptr;
        at = 0;
    } else if (!program_) {
        return nullptr;
    } else if (index < 0) {
        const auto found = program_->IndexOfGroupId(0u - static_cast<std::uint32_t>(index));
        if (!found) return nullptr;
        at = *found;
    } else {
        at = static_cast<std::size_t>(index);
    }
    return Make(ChosenImage(at, size, size), size, size);
}

HICON ExtractCheckedIcon(const std::wstring& path, int index, int size) {
    // Found as the platform finds it: a bare name along the search path.
    std::wstring found(MAX_PATH, L'\0');
    DWORD length = ::SearchPathW(nullptr, path.c_str(), nullptr, static_cast<DWORD>(found.size()), found.data(), nullptr);
    if (length >= found.size()) {
        found.resize(length);
        length = ::SearchPathW(nullptr, path.c_str(), nullptr, static_cast<DWORD>(found.size()), found.data(), nullptr);
    }
    if (length == 0 || length >= found.size()) return nullptr;
    found.resize(length);
    try {
        const ExecutableIcons icons(found);
        return icons.Refused() ? nullptr : icons.Make(index, size);
    } catch (const Failure&) {
        return nullptr;
    }
}

}  // namespace orbelune
