#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "cfb/byte_source.h"

namespace kalvor::cfb {

// Fills a buffer from start to end with pieces of a file, joining pieces that continue each
// other in the file into one read. The first short read ends the filling.
class RunReader {
  public:
    RunReader(ByteSource& file, std::span<std::uint8_t> out) : file_(file), out_(out) {}

    // Appends the file bytes [offset, offset + length), cut to what the buffer has room for.
    // False once a read came up short: nothing more will be read.
    bool Append(std::uint64_t offset, std::size_t length);

    // Reads what is pending and returns how many bytes from the start of the buffer hold file
    // data.
    std::size_t Finish();

  private:
    void Flush();

    ByteSource& file_;
    std::span<std::uint8_t> out_;
    std::size_t filled_ = 0;
    std::uint64_t runOffset_ = 0;
    std::size_t runLength_ = 0;
    bool short_ = false;
};

}  // namespace kalvor::cfb
