#include "platform/executable_icons.h"

#include "platform/failure.h"
#include "platform/ico_file.h"
#include "platform/icon_pixels.h"
#include "platform/little_endian.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace orbelune {

namespace {

constexpr wchar_t kCannotOpen[] = L"ファイル %s は開けません";

// The file's pages that a listing has read leave the working set after this
// many icons: a listing holds the icons it lists, not the whole file.
constexpr std::size_t kIconsPerView = 256;
// Judging touches two or three pages an icon and keeps nothing of them.
constexpr std::size_t kJudgedPerView = 32;


// An icon file's directory entry: the image's size at 8, its offset at 12.
std::uint32_t ImageSize(const std::uint8_t* entry) { return Dword(entry + kIcoEntryImageSize); }
std::uint32_t ImageOffset(const std::uint8_t* entry) { return Dword(entry + kIcoEntryImageOffset); }

HANDLE OpenShared(const std::wstring& path) {
    return ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
}

// What can be read at an offset, up to `size` bytes; 0 when nothing can.
DWORD ReadSome(HANDLE file, std::uint64_t offset, void* buffer, DWORD size) {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(offset);
    DWORD read = 0;
    return ::SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && ::ReadFile(file, buffer, size, &read, nullptr)
               ? read
               : 0;
}

bool ReadAt(HANDLE file, std::uint64_t offset, void* buffer, DWORD size) {
    return ReadSome(file, offset, buffer, size) == size;
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
    // type word (zeros past a shorter file's end, as its view reads).
    std::uint8_t head[4] = {};
    const auto headSize = static_cast<DWORD>(fileSize < sizeof head ? fileSize : sizeof head);
    if (!ReadAt(file_.Get(), 0, head, headSize)) Fail(kCannotOpen, path);
    const bool program = head[0] == 'M' && head[1] == 'Z';
    if (!program && !(head[2] == 1 && head[3] == 0)) return;  // no icons
    // The whole file in view, as the platform maps it: an address range, not
    // memory; only the pages read become resident, and MapAfresh lets them
    // go. A file larger than the address space can hold cannot be listed.
    if (fileSize > std::numeric_limits<SIZE_T>::max() - kMappedPage) Fail(kCannotOpen, path);
    viewSize_ = static_cast<SIZE_T>(fileSize);
    mapping_.Reset(::CreateFileMappingW(file_.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (mapping_) view_.Reset(::MapViewOfFile(mapping_.Get(), FILE_MAP_READ, 0, 0, viewSize_));
    if (!view_) Fail(kCannotOpen, path);
    if (program)
        OpenProgram();
    else
        OpenIconFile();
}

namespace {

// A group directory: its header, and its entries with the image ID each
// names at its end.
constexpr std::size_t kGroupHeaderSize = 6, kGroupEntrySize = 14, kGroupEntryIdAt = 12;

// The size the platform's extraction (ExtractIconW) makes icons at: its
// choice of image at that size is the one it reads.
SIZE ExtractionSize() { return {::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON)}; }

}  // namespace

int ExecutableIcons::ChooseImage(const std::uint8_t* directory, std::size_t readable, int width, int height) const {
    const auto ask = [&] {
        return ::LookupIconIdFromDirectoryEx(const_cast<BYTE*>(directory), TRUE, width, height, LR_DEFAULTCOLOR);
    };
    // The platform chooses among a directory's entries by their sizes and
    // colours and names the chosen entry's image ID; it asks the display
    // for its colour depth every time, which costs more than all the rest.
    // So it is asked once for each kind of directory, and a directory of
    // the same entries naming other images takes the same entry. Only a
    // whole directory whose chosen ID names one entry is remembered.
    if (readable < kGroupHeaderSize) return ask();
    const std::size_t count = Word(directory + 4);
    if (count == 0 || readable < kGroupHeaderSize + count * kGroupEntrySize) return ask();
    const auto entryAt = [&](std::size_t e) { return directory + kGroupHeaderSize + e * kGroupEntrySize; };
    Choice choice{width, height, std::vector<std::uint8_t>(directory, directory + kGroupHeaderSize), 0};
    for (std::size_t e = 0; e < count; ++e)
        choice.kind.insert(choice.kind.end(), entryAt(e), entryAt(e) + kGroupEntryIdAt);
    for (const Choice& c : choices_)
        if (c.width == width && c.height == height && c.kind == choice.kind)
            return Word(entryAt(c.entry) + kGroupEntryIdAt);
    const int id = ask();
    std::size_t named = 0;
    for (std::size_t e = 0; e < count; ++e)
        if (Word(entryAt(e) + kGroupEntryIdAt) == id) {
            ++named;
            choice.entry = e;
        }
    if (named != 1) return id;
    constexpr std::size_t kKindsKept = 32;
    if (choices_.size() < kKindsKept)
        choices_.push_back(std::move(choice));
    else
        choices_[nextChoice_++ % kKindsKept] = std::move(choice);
    return id;
}

void ExecutableIcons::ForgetChoices() const {
    choices_.clear();
    nextChoice_ = 0;
}

int ExecutableIcons::ChooseFromGroup(std::uint32_t group, int width, int height) const {
    if (!structure_) return ChooseImage(View() + group, viewSize_ - group, width, height);
    // A listing chooses from the same directory read through its pages.
    const std::vector<std::uint8_t> directory = PagedDirectory(group);
    return ChooseImage(directory.data(), directory.size(), width, height);
}

ChosenImageId ExecutableIcons::ExtractionChoice() const {
    const SIZE size = ExtractionSize();
    return [this, size](std::uint32_t group) {
        return static_cast<std::uint16_t>(ChooseFromGroup(group, size.cx, size.cy));
    };
}

std::uint8_t ExecutableIcons::PagedByte(std::uint64_t offset) const {
    return offset < viewSize_ ? structure_->Byte(offset) : std::uint8_t{0};
}

std::vector<std::uint8_t> ExecutableIcons::PagedDirectory(std::uint32_t group) const {
    // The reader checked the directory inside the view, all its entries too.
    std::vector<std::uint8_t> directory(kGroupHeaderSize);
    for (std::size_t i = 0; i < kGroupHeaderSize; ++i) directory[i] = PagedByte(group + i);
    // The entries too when the platform takes the header and reads them.
    if (Word(directory.data()) == 0 && (Word(directory.data() + 2) & 3) != 0) {
        directory.resize(kGroupHeaderSize + std::size_t{Word(directory.data() + 4)} * kGroupEntrySize);
        for (std::size_t i = kGroupHeaderSize; i < directory.size(); ++i) directory[i] = PagedByte(group + i);
    }
    return directory;
}

ImageBytes ExecutableIcons::ListedImage(std::uint32_t offset, std::uint32_t size) const {
    // Judged through the pages: the image as far as the view holds it, or
    // not at all.
    std::uint64_t reads = 0;
    const auto length = PagedImageLength(*structure_, viewSize_, FileSpan{offset, size}, &reads);
    if (!length) return {};
    // Read into memory: a page of the mapped file read for a few bytes
    // brings its neighbourhood into the working set. A large image is read
    // through the view, only as far as the platform reads it.
    constexpr std::uint64_t kCopiedImage = std::uint64_t{1024} * 1024;
    return HeldImage(offset, *length, reads, kCopiedImage);
}

ImageBytes ExecutableIcons::HeldImage(std::uint64_t offset, std::uint64_t length, std::uint64_t reads,
                                      std::uint64_t copiedUpTo) const {
    const std::uint64_t reach = MappedReach(viewSize_);
    const std::uint64_t room = offset < reach ? reach - offset : 0;
    const std::uint64_t held = std::max(length, reads);
    if (held <= room && (length == 0 || held > copiedUpTo))
        return {View() + offset, static_cast<std::size_t>(length), static_cast<std::size_t>(held)};
    // The file's bytes, zeros past its end up to the view's, and past the
    // view what ends the platform's alpha test.
    imageCopy_.assign(static_cast<std::size_t>(held), 0);
    if (held > room)
        std::fill(imageCopy_.begin() + static_cast<std::ptrdiff_t>(room), imageCopy_.end(), kAlphaTestEnd);
    const std::uint64_t inFile = offset < viewSize_ ? std::min<std::uint64_t>(held, viewSize_ - offset) : 0;
    if (inFile && ReadSome(file_.Get(), offset, imageCopy_.data(), static_cast<DWORD>(inFile)) != inFile) return {};
    return {imageCopy_.data(), static_cast<std::size_t>(length), imageCopy_.size()};
}

void ExecutableIcons::OpenProgram() {
    // Refused only for the images the platform's extraction reads; any
    // other choice of an image it cannot read gives no icon. A listing
    // reads the program's structure a few pages at a time, and its images
    // into memory (ListedImage).
    if (deferred_)
        structure_ = std::make_unique<PagedReads>([this](std::uint64_t offset, std::uint8_t* buffer, std::size_t size) {
            return file_ ? std::size_t{ReadSome(file_.Get(), offset, buffer, static_cast<DWORD>(size))} : 0;
        });
    program_ = ReadProgramIcons(View(), viewSize_, ExtractionChoice(),
                                deferred_ ? NamedImages::Deferred : NamedImages::Judged, structure_.get());
    refused_ = !program_;
    MapAfresh();  // the checks went through every page
}

void ExecutableIcons::OpenIconFile() {
    // The platform takes reserved 0, type 1 and at least one image for an
    // icon file, and reads its directory and the chosen image unchecked,
    // through its view: zeros past the file's end up to the view's end.
    const std::uint64_t fileSize = viewSize_, reach = MappedReach(fileSize);
    std::vector<std::uint8_t> head(kIcoHeaderSize);
    const auto copy = [&](std::uint64_t from) {
        for (std::size_t i = static_cast<std::size_t>(from); i < head.size() && i < fileSize; ++i) head[i] = View()[i];
    };
    copy(0);
    if (head[0] != 0 || head[1] != 0 || IcoImageCount(head.data()) == 0) return;
    const std::uint64_t directoryEnd = IcoDirectoryEnd(head.data());
    if (directoryEnd > reach) {
        refused_ = true;
        return;
    }
    head.resize(static_cast<std::size_t>(directoryEnd));
    copy(kIcoHeaderSize);
    // The image the platform's extraction chooses it reads: inside its
    // view, and safely. Any other choice of an image it cannot read gives
    // no icon.
    std::vector<std::uint8_t> directory = IcoResourceDirectory(head.data());
    const SIZE size = ExtractionSize();
    const int chosen = ::LookupIconIdFromDirectoryEx(directory.data(), TRUE, size.cx, size.cy, LR_DEFAULTCOLOR);
    if (chosen >= 0 && static_cast<unsigned>(chosen) < IcoImageCount(head.data())) {
        const std::uint8_t* e = head.data() + kIcoHeaderSize + static_cast<std::size_t>(chosen) * kIcoEntrySize;
        if (!MappedImageLength(View(), fileSize, ImageOffset(e), ImageSize(e))) {
            refused_ = true;
            return;
        }
    }
    iconDirectory_ = std::move(directory);
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
    if (!program_ || !deferred_ || judged_ >= program_->Count()) return Judging::Done;
    if (!Reopen()) return Judging::Done;  // nothing more is made of a changed file
    const ChosenImageId chosen = ExtractionChoice();
    for (std::size_t n = 0; n < groups && judged_ < program_->Count(); ++n, ++judged_) {
        // Every few icons the pages read so far leave the working set.
        if (!view_ || ++chosenSinceMapped_ > kJudgedPerView) MapAfresh();
        if (!view_) return Judging::Done;
        if (!NamedImagesSafe(View(), viewSize_, *program_, judged_, chosen, structure_.get())) {
            refused_ = true;
            program_.reset();
            return Judging::Refused;
        }
    }
    return judged_ >= program_->Count() ? Judging::Done : Judging::More;
}

int ExecutableIcons::Count() const noexcept {
    if (program_) return static_cast<int>(program_->Count());
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
        if (!view_) MapAfresh();
        // cppcheck-suppress duplicateCondition ; MapAfresh sets view_ when the file can be mapped
        if (!view_) return {};
        // Checked when the file was opened: the platform reads it inside the
        // view, whatever size the entry states.
        const std::uint64_t offset = ImageOffset(e);
        std::uint64_t reads = 0;
        const auto length = MappedImageLength(View(), viewSize_, offset, ImageSize(e), nullptr, &reads);
        if (!length) return {};
        return HeldImage(offset, *length, reads, 0);
    }
    if (!program_ || index >= program_->Count()) return {};
    if (!view_ || ++chosenSinceMapped_ > kIconsPerView) MapAfresh();
    if (!view_) return {};
    // An icon not judged yet is made only from a group and images the
    // platform reads safely.
    if (deferred_ && index >= judged_ &&
        !NamedImagesSafe(View(), viewSize_, *program_, index, ExtractionChoice(), structure_.get()))
        return {};
    // The platform's own choice, from the group's directory, which the
    // reader found inside the file with all its entries.
    const auto groupAt = IconGroup(View(), viewSize_, *program_, index, structure_.get());
    if (!groupAt) return {};
    const int id = ChooseFromGroup(*groupAt, width, height);
    const auto entry = ImageEntryOf(View(), viewSize_, *program_, static_cast<std::uint16_t>(id), structure_.get());
    if (!entry || !entry->bytes) return {};
    const FileSpan& image = *entry->bytes;
    if (!deferred_) {
        // Cut to the view's end when it was judged.
        std::uint64_t reads = 0;
        if (!MappedImageLength(View(), viewSize_, image.offset, image.size, nullptr, &reads)) return {};
        return HeldImage(image.offset, image.size, reads, 0);
    }
    // A deferred reading left the image as its entry states it.
    return ListedImage(image.offset, image.size);
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
        if (!Reopen()) return nullptr;
        if (!view_) MapAfresh();
        // cppcheck-suppress duplicateCondition ; MapAfresh sets view_ when the file can be mapped
        if (!view_) return nullptr;
        const auto found =
            IconOfGroupId(View(), viewSize_, *program_, 0u - static_cast<std::uint32_t>(index), structure_.get());
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
