// An icon object: holds an icon handle, or the bytes of an icon file whose
// handle is made when it is first needed. Copies share the same icon.
#pragma once

#include "platform/executable_icons.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orbelune {

// The image of an icon file fit for size x size pixels (the smallest at
// least that large, else the largest), made at that size: read as
// LoadFromFile reads, with its failures.
HICON LoadIconFileAtSize(const std::wstring& path, int size);
// The bytes of the image LoadIconFileAtSize makes its icon of, as far as the
// platform reads them, with its failures; empty for none.
ImageCopy IconFileImageAtSize(const std::wstring& path, int size);
// The image of a single-image file that IconImage holds (FileBytes), as
// the platform is handed it; empty for none.
ImageBytes ImageOfSingleImageFile(const std::vector<std::uint8_t>& bytes);

class IconImage {
public:
    IconImage() = default;

    bool Empty() const noexcept { return !data_; }

    // Reads an icon file: its header, its directory and the one image shown
    // (the one nearest to 32 x 32), whatever the file's size; the image as
    // the platform's extraction reads it, as far as it needs whatever size
    // its entry states, zeros past the file's end inside its last page.
    // Failures: "ファイル %s は開けません", "ストリームからの読み込みエラー"
    // (shorter than the 6-byte header, or cut short while read),
    // "アイコンイメージが不正です" (another resource type, no image, a
    // directory that does not fit the file, an image starting outside it or
    // needing bytes beyond its last page or more than kLargestIconImage).
    // The object is unchanged on failure.
    void LoadFromFile(const std::wstring& path);

    // Takes ownership of the handle; a null handle empties the object.
    void SetHandle(HICON icon);
    // Takes ownership of the icon made elsewhere of the file's image at its
    // own size, as Handle would make it (nullptr: none can be made).
    void SetMadeHandle(HICON icon);

    void Clear() noexcept { data_.reset(); }

    // The icon's handle, made from the file's bytes on first need; nullptr
    // when empty or when the image cannot be made into an icon.
    HICON Handle() const;

    // The icon as a single-image file (header, the shown image's entry and
    // that image) when it came from a file: the file itself when it holds one
    // image right after its directory.
    const std::vector<std::uint8_t>* FileBytes() const noexcept;

    // The icon file the object was read from; nullptr for a handle.
    const std::wstring* SourceFile() const noexcept;

    // Draws the icon at its natural size with its upper left corner at x, y.
    void Draw(HDC dc, int x, int y) const;

private:
    struct Data;
    std::shared_ptr<Data> data_;
};

}  // namespace orbelune
