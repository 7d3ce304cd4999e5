#include "platform/icon_image.h"

#include "platform/failure.h"
#include "platform/handle.h"
#include "platform/ico_file.h"

namespace orbelune {

namespace {

constexpr wchar_t kCannotOpen[] = L"ファイル %s は開けません";
constexpr wchar_t kReadError[] = L"ストリームからの読み込みエラー";
constexpr wchar_t kInvalidImage[] = L"アイコンイメージが不正です";

// Larger files are no icon files this program would make or show.
constexpr std::uint64_t kLargestIconFile = 16u * 1024 * 1024;

bool ReadExactly(HANDLE file, void* buffer, DWORD size) {
    DWORD read = 0;
    return ::ReadFile(file, buffer, size, &read, nullptr) && read == size;
}

}  // namespace

struct IconImage::Data {
    std::vector<std::uint8_t> bytes;  // empty for an icon given as a handle
    mutable UniqueIcon handle;
    mutable bool made = false;  // whether making the handle was tried
};

void IconImage::LoadFromFile(const std::wstring& path) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) Fail(kCannotOpen, path);

    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) Fail(kCannotOpen, path);
    const auto fileSize = static_cast<std::uint64_t>(size.QuadPart);

    // The header first: a large file of another kind is never read whole.
    std::uint8_t header[kIcoHeaderSize];
    if (fileSize < kIcoHeaderSize || !ReadExactly(file.Get(), header, sizeof header)) throw Failure(kReadError);
    if (CheckIcoHeader(header, sizeof header) != IcoHeaderCheck::Ok) throw Failure(kInvalidImage);
    const std::uint64_t directoryEnd = kIcoHeaderSize + std::uint64_t{IcoImageCount(header)} * kIcoEntrySize;
    if (fileSize > kLargestIconFile || directoryEnd > fileSize) throw Failure(kInvalidImage);

    auto data = std::make_shared<Data>();
    data->bytes.resize(static_cast<std::size_t>(fileSize));
    std::copy(header, header + sizeof header, data->bytes.begin());
    if (!ReadExactly(file.Get(), data->bytes.data() + sizeof header, static_cast<DWORD>(fileSize - sizeof header)))
        throw Failure(kReadError);
    if (!ReadIcoDirectory(data->bytes.data(), data->bytes.size())) throw Failure(kInvalidImage);
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

HICON IconImage::Handle() const {
    if (!data_) return nullptr;
    if (!data_->made) {
        data_->made = true;
        const auto& bytes = data_->bytes;
        if (const auto entries = ReadIcoDirectory(bytes.data(), bytes.size())) {
            const IcoEntry& e = (*entries)[ChooseIcoImage(*entries)];
            // Width and height 0: the image's own size.
            data_->handle.Reset(::CreateIconFromResourceEx(const_cast<BYTE*>(bytes.data() + e.offset), e.size, TRUE,
                                                           0x00030000, 0, 0, LR_DEFAULTCOLOR));
        }
    }
    return data_->handle.Get();
}

const std::vector<std::uint8_t>* IconImage::FileBytes() const noexcept {
    return (data_ && !data_->bytes.empty()) ? &data_->bytes : nullptr;
}

void IconImage::Draw(HDC dc, int x, int y) const {
    if (HICON icon = Handle()) ::DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
}

}  // namespace orbelune
