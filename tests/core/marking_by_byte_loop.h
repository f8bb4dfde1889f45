#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace kalvor::testing {

// The search for the pair as first written: one position after another.
inline std::optional<std::uint32_t> PairByteByByte(const std::vector<std::uint8_t>& block,
                                                   std::int64_t from = 0) {
    for (std::int64_t p = from; p <= static_cast<std::int64_t>(block.size()) - 3; ++p) {
        if (block[p] == 0xC6 && block[p + 1] == 0x5B) {
            return static_cast<std::uint32_t>(p);
        }
    }
    return std::nullopt;
}

inline std::uint16_t UnitAt(const std::vector<std::uint8_t>& block, std::int64_t q) {
    return static_cast<std::uint16_t>(block[q] | block[q + 1] << 8);
}

// The marking search as first written: a pair, the skip back over spaces and tabs, the lead
// test, and after each rejected pair h the search again from h + 2.
inline std::optional<std::uint32_t> MarkingByteByByte(const std::vector<std::uint8_t>& block) {
    for (std::optional<std::uint32_t> h = PairByteByByte(block); h.has_value();
         h = PairByteByByte(block, *h + 2)) {
        std::int64_t q = static_cast<std::int64_t>(*h) - 2;
        while (q >= 0 && (UnitAt(block, q) == 0x0020 || UnitAt(block, q) == 0x0009)) {
            q -= 2;
        }
        if (q >= 0 && (UnitAt(block, q) == 0x79D8 || UnitAt(block, q) == 0x673A ||
                       UnitAt(block, q) == 0x7EDD)) {
            return h;
        }
    }
    return std::nullopt;
}

}  // namespace kalvor::testing
