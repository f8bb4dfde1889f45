#pragma once

#include <cstdint>
#include <optional>

namespace kalvor::scan {

// The first position p with 0 <= p <= length - 3 where block[p] == 0xC6 and block[p + 1] == 0x5B
// (密 in UTF-16LE), at any alignment. The stream's last two bytes are never a candidate. Nothing
// when length - 2, taken as a signed 32-bit value, is 0 or less.
std::optional<std::uint32_t> FindMarkPair(const std::uint8_t* block, std::uint32_t length);

}  // namespace kalvor::scan
