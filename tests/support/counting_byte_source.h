#pragma once

#include <algorithm>
#include <cstdint>
#include <span>

#include "cfb/byte_source.h"

namespace kalvor::testing {

// Bytes in memory that count the reads made of them, to hold a reader to few reads. They can
// claim to be longer than they are, the way a file that shrank after it was opened looks.
class CountingByteSource final : public cfb::ByteSource {
  public:
    explicit CountingByteSource(std::span<const std::uint8_t> bytes, std::uint64_t claimedSize = 0)
        : memory_(bytes), size_(std::max<std::uint64_t>(claimedSize, bytes.size())) {}

    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        ++reads;
        return memory_.ReadAt(offset, out);
    }

    int reads = 0;

  private:
    cfb::MemoryByteSource memory_;
    std::uint64_t size_;
};

}  // namespace kalvor::testing
