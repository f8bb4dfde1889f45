#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kalvor::cfb {

// Random access to the bytes of a file, or of a block of memory (tests, fuzzing): all the reader
// asks of where its bytes come from, so that it never needs to know.
class ByteSource {
  public:
    virtual ~ByteSource() = default;

    virtual std::uint64_t Size() const = 0;

    // How many bytes the file takes on disk: less than Size() where it has holes (a sparse file)
    // or is stored compressed. Memory a reader asks for on the file's word is bounded by this
    // rather than by Size(), which a few blocks can make terabytes. Size() where it is not known.
    virtual std::uint64_t BackedSize() const { return Size(); }

    // Reads up to out.size() bytes starting at offset. Returns how many were read: fewer at the
    // end of the data or after an I/O error, never more.
    virtual std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;

    // The bytes [offset, offset + length) where this source already holds all of them in
    // memory, so they can be used where they lie; empty otherwise.
    virtual std::span<const std::uint8_t> Held(std::uint64_t /*offset*/,
                                               std::size_t /*length*/) const {
        return {};
    }
};

class MemoryByteSource final : public ByteSource {
  public:
    explicit MemoryByteSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint64_t Size() const override { return bytes_.size(); }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override;
    std::span<const std::uint8_t> Held(std::uint64_t offset, std::size_t length) const override;

  private:
    std::span<const std::uint8_t> bytes_;
};

}  // namespace kalvor::cfb
