// Where the icon file writer puts its bytes.
#pragma once

#include <cstddef>
#include <cstdint>
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

}  // namespace orbelune
