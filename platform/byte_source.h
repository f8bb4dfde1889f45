#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kalvor::platform {

// Random access to the bytes of one file, or of a block of memory (tests, fuzzing), so the
// compound-file reader never needs to know where its bytes come from.
class ByteSource {
public:
    virtual ~ByteSource() = default;

    virtual std::uint64_t Size() const = 0;

    // Reads up to out.size() bytes starting at offset. Returns how many were read: fewer at the
    // end of the data or after an I/O error, never more.
    virtual std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
};

class MemoryByteSource final : public ByteSource {
public:
    explicit MemoryByteSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint64_t Size() const override { return bytes_.size(); }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

private:
    std::span<const std::uint8_t> bytes_;
};

}  // namespace kalvor::platform
