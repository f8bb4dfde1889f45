#include "scan/mark_pair.h"

#include <cstring>

namespace kalvor::scan {

namespace {

// 密 (U+5BC6) as it lies in a UTF-16LE stream.
constexpr std::uint8_t kPairFirst = 0xC6;
constexpr std::uint8_t kPairSecond = 0x5B;

}  // namespace

std::optional<std::uint32_t> FindMarkPair(const std::uint8_t* block, std::uint32_t length) {
    const auto positions = static_cast<std::int32_t>(length - 2);
    if (positions <= 0) {
        return std::nullopt;
    }
    // Positions 0 .. length - 3 may start a pair; the byte after each is still inside the block.
    const std::uint8_t* const end = block + positions;
    const std::uint8_t* from = block;
    while (from < end) {
        const auto* hit = static_cast<const std::uint8_t*>(
            std::memchr(from, kPairFirst, static_cast<std::size_t>(end - from)));
        if (hit == nullptr) {
            return std::nullopt;
        }
        if (hit[1] == kPairSecond) {
            return static_cast<std::uint32_t>(hit - block);
        }
        from = hit + 1;
    }
    return std::nullopt;
}

}  // namespace kalvor::scan
