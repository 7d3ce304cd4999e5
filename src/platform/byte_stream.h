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
class MemoryStream final : public ByteStream {
public:
    void Write(const void* data, std::size_t size) override {
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + size);
    }
    std::vector<std::uint8_t> bytes;
};

// A file created for writing, or emptied when it exists. Failures:
// "ファイル %s を作成できません" when it cannot be created, and
// "ファイル %s に書き込めません" when a write does not go through whole.
class FileStream final : public ByteStream {
public:
    explicit FileStream(const std::wstring& path);
    void Write(const void* data, std::size_t size) override;

private:
    std::wstring path_;
    UniqueFile file_;
};

}  // namespace orbelune
