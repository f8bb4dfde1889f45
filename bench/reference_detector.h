#pragma once

#include <cstdint>
#include <vector>

#include "platform/byte_source.h"

namespace kalvor::bench {

// The detector as first designed, kept as the yardstick the benchmarks measure against: the
// whole stream read into a fresh buffer, the version gate, then a search one byte position after
// another, starting again after each rejected pair.
bool IsMarkedByteByByte(const std::vector<std::uint8_t>& stream);

// The first position p, from `from` to length - 3, where the pair 0xC6 0x5B lies; -1 if none.
std::int64_t FindPairByteByByte(const std::uint8_t* block, std::int64_t length, std::int64_t from);

// Reads the "WordDocument" stream of the compound file in `file` into a fresh buffer and checks
// it as above; false when it cannot be read.
bool CheckDocumentByteByByte(platform::ByteSource& file);

}  // namespace kalvor::bench
