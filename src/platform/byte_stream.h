// Byte streams: where the icon file writer puts its bytes.
#pragma once

#include "platform/handle.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orbelune {

class ByteStream {
public:
    virtual void Write(const void* data, std::size_t size) = 0;

protected:
    ~ByteStream() = default;
};

// Bytes kept in memory.
// NOLINTNEXTLINE(cppcoreguidelines-virtual-class-destructor): final, and the base's destructor is protected
class MemoryStream final : public ByteStream {
public:
    void Write(const void* data, std::size_t size) override {
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + size);
    }
    std::vector<std::uint8_t> bytes;
};

// A file that replaces its target only once it has been written whole: the
// bytes go to a new file beside the target, which Commit puts in the
// target's place. Until then, and whenever anything fails, the target stays
// as it was, and the new file is removed when the stream ends uncommitted.
// A target that is a folder or a read-only, hidden or system file is never
// replaced.
// Failures: "ファイル %s を作成できません" when the new file cannot be made
// or cannot take the target's place, "ファイル %s に書き込めません" when a
// write does not go through whole; %s is the target.
// NOLINTNEXTLINE(cppcoreguidelines-virtual-class-destructor): final, and the base's destructor is protected
class ReplacingFileStream final : public ByteStream {
public:
    explicit ReplacingFileStream(const std::wstring& target);
    ~ReplacingFileStream();
    ReplacingFileStream(const ReplacingFileStream&) = delete;
    ReplacingFileStream& operator=(const ReplacingFileStream&) = delete;

    void Write(const void* data, std::size_t size) override;
    void Commit();

private:
    std::wstring target_;
    std::wstring temporary_;
    UniqueFile file_;
};

}  // namespace orbelune
