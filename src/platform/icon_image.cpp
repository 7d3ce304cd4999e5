#include "platform/icon_image.h"

#include "platform/executable_icons.h"
#include "platform/failure.h"
#include "platform/icon_pixels.h"
#include "platform/handle.h"
#include "platform/ico_file.h"
#include "platform/little_endian.h"

#include <algorithm>

namespace orbelune {

namespace {

constexpr wchar_t kCannotOpen[] = L"ファイル %s は開けません";
constexpr wchar_t kReadError[] = L"ストリームからの読み込みエラー";
constexpr wchar_t kInvalidImage[] = L"アイコンイメージが不正です";

bool ReadExactly(HANDLE file, void* buffer, DWORD size) {
    DWORD read = 0;
    return ::ReadFile(file, buffer, size, &read, nullptr) && read == size;
}

bool ReadAt(HANDLE file, std::uint64_t offset, void* buffer, DWORD size) {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(offset);
    return ::SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && ReadExactly(file, buffer, size);
}

}  // namespace

struct IconImage::Data {
    // A single-image icon file: the header, the entry of the image shown and
    // that image; empty for an icon given as a handle.
    std::vector<std::uint8_t> bytes;
    std::wstring file;  // where the bytes were read from
    mutable UniqueIcon handle;
    mutable bool made = false;  // whether making the handle was tried
};

namespace {

// Reads an icon file's header, its directory and the one image that
// `choose` picks from the directory, as a single-image file; whatever the
// file's size, no more than that image is read.
template <typename Choose>
std::vector<std::uint8_t> ReadSingleImage(const std::wstring& path, Choose choose) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) Fail(kCannotOpen, path);

    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) Fail(kCannotOpen, path);
    const auto fileSize = static_cast<std::uint64_t>(size.QuadPart);

    std::vector<std::uint8_t> head(kIcoHeaderSize);
    if (fileSize < kIcoHeaderSize || !ReadExactly(file.Get(), head.data(), kIcoHeaderSize)) throw Failure(kReadError);
    if (CheckIcoHeader(head.data(), head.size()) != IcoHeaderCheck::Ok) throw Failure(kInvalidImage);
    const std::uint64_t directoryEnd = IcoDirectoryEnd(head.data());
    if (directoryEnd > fileSize) throw Failure(kInvalidImage);
    head.resize(static_cast<std::size_t>(directoryEnd));
    if (!ReadExactly(file.Get(), head.data() + kIcoHeaderSize, static_cast<DWORD>(directoryEnd - kIcoHeaderSize)))
        throw Failure(kReadError);
    const auto entries = ReadIcoDirectory(head.data(), head.size(), fileSize);
    if (!entries) throw Failure(kInvalidImage);
    const std::size_t chosen = choose(*entries);
    const IcoEntry& entry = (*entries)[chosen];

    // Read as the platform's extraction reads it: no further than the image
    // needs, whatever size the entry states, and zeros past the file's end
    // up to the end of its last page; beyond that page it cannot be read.
    ImageHead start;
    const std::uint64_t inFile = fileSize - entry.offset;
    const auto startSize = static_cast<DWORD>(inFile < sizeof start.bytes ? inFile : sizeof start.bytes);
    if (!ReadAt(file.Get(), entry.offset, start.bytes, startSize)) throw Failure(kReadError);
    const auto eight = [&](std::uint64_t at, std::uint8_t (&out)[8]) {
        std::fill(out, out + 8, std::uint8_t{0});
        if (at < fileSize) ReadAt(file.Get(), at, out, static_cast<DWORD>(std::min<std::uint64_t>(8, fileSize - at)));
    };
    std::uint64_t needed = 0, reads = 0;
    if (!MappedImageLength(start, eight, entry.offset, entry.size, fileSize, &needed, &reads))
        throw Failure(kInvalidImage);
    // Held after the file is closed: an image that needs more than any
    // icon's image is no icon, in 32 bits as in 64. What the platform reads
    // past the image follows it (see ImageOfSingleImageFile).
    const std::uint64_t held = std::max(needed, reads);
    if (held > kLargestIconImage) throw Failure(kInvalidImage);

    std::vector<std::uint8_t> bytes(kIcoSingleImageOffset + static_cast<std::size_t>(held));
    const std::uint64_t room = MappedReach(fileSize) - entry.offset;
    if (held > room)
        std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(kIcoSingleImageOffset + room), bytes.end(), kAlphaTestEnd);
    std::uint8_t* out = bytes.data();
    std::copy(head.begin(), head.begin() + kIcoHeaderCount, out);  // reserved and type as the file has them
    PutWord(out + kIcoHeaderCount, 1);
    const auto* source = head.data() + kIcoHeaderSize + chosen * kIcoEntrySize;
    std::uint8_t* entryOut = out + kIcoHeaderSize;
    std::copy(source, source + kIcoEntryImageSize, entryOut);
    PutDword(entryOut + kIcoEntryImageSize, static_cast<std::uint32_t>(needed));
    PutDword(entryOut + kIcoEntryImageOffset, kIcoSingleImageOffset);
    const auto read = static_cast<DWORD>(std::min<std::uint64_t>(held, inFile));
    if (!ReadAt(file.Get(), entry.offset, out + kIcoSingleImageOffset, read)) throw Failure(kReadError);
    return bytes;
}

// The icon of a single-image file at the given size (0: the image's own).
HICON IconFromSingleImage(const std::vector<std::uint8_t>& bytes, int size) {
    const ImageBytes image = ImageOfSingleImageFile(bytes);
    if (!image) return nullptr;
    // What the platform reads past a short image is there, as zeros.
    const ImageCopy copy(image);
    return ExecutableIcons::Make(copy.Bytes(), size, size);
}

}  // namespace

namespace {

std::vector<std::uint8_t> SingleImageAtSize(const std::wstring& path, int size) {
    return ReadSingleImage(path, [size](const std::vector<IcoEntry>& entries) {
        return ChooseIcoImageForWidth(entries, static_cast<unsigned>(size));
    });
}

}  // namespace

HICON LoadIconFileAtSize(const std::wstring& path, int size) { return IconFromSingleImage(SingleImageAtSize(path, size), size); }

ImageCopy IconFileImageAtSize(const std::wstring& path, int size) {
    const std::vector<std::uint8_t> bytes = SingleImageAtSize(path, size);
    const ImageBytes image = ImageOfSingleImageFile(bytes);
    return image ? ImageCopy(image) : ImageCopy();
}

ImageBytes ImageOfSingleImageFile(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() <= kIcoSingleImageOffset) return {};
    // The entry states the length the platform is handed; the image is
    // followed by what it may read past that.
    const std::size_t readable = bytes.size() - kIcoSingleImageOffset;
    const std::size_t length = std::min<std::size_t>(Dword(bytes.data() + kIcoHeaderSize + kIcoEntryImageSize), readable);
    return {bytes.data() + kIcoSingleImageOffset, length, readable};
}

void IconImage::LoadFromFile(const std::wstring& path) {
    auto data = std::make_shared<Data>();
    data->bytes = ReadSingleImage(path, [](const std::vector<IcoEntry>& entries) { return ChooseIcoImage(entries); });
    data->file = path;
    data_ = std::move(data);
}

void IconImage::SetHandle(HICON icon) {
    if (!icon) {
        data_.reset();
        return;
    }
    auto data = std::make_shared<Data>();
    data->handle.Reset(icon);
    data->made = true;
    data_ = std::move(data);
}

void IconImage::SetMadeHandle(HICON icon) {
    UniqueIcon made(icon);
    if (!data_) return;
    data_->handle = std::move(made);
    data_->made = true;
}

HICON IconImage::Handle() const {
    if (!data_) return nullptr;
    if (!data_->made) {
        data_->made = true;
        data_->handle.Reset(IconFromSingleImage(data_->bytes, 0));
    }
    return data_->handle.Get();
}

const std::vector<std::uint8_t>* IconImage::FileBytes() const noexcept {
    return (data_ && !data_->bytes.empty()) ? &data_->bytes : nullptr;
}

const std::wstring* IconImage::SourceFile() const noexcept {
    return (data_ && !data_->file.empty()) ? &data_->file : nullptr;
}

void IconImage::Draw(HDC dc, int x, int y) const {
    if (HICON icon = Handle()) ::DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
}

}  // namespace orbelune
