#include "reference/marking_by_byte_loop.h"

#include "scan/marking_rule.h"

namespace kalvor::reference {

namespace {

char16_t UnitAt(std::span<const std::uint8_t> block, std::int64_t q) {
    return static_cast<char16_t>(block[q] | block[q + 1] << 8);
}

}  // namespace

std::optional<std::uint32_t> PairByteByByte(std::span<const std::uint8_t> block,
                                            std::int64_t from) {
    for (std::int64_t p = from; p <= static_cast<std::int64_t>(block.size()) - 3; ++p) {
        if (block[p] == scan::marking::kMarkFirstByte &&
            block[p + 1] == scan::marking::kMarkSecondByte) {
            return static_cast<std::uint32_t>(p);
        }
    }
    return std::nullopt;
}

std::optional<std::uint32_t> MarkingByteByByte(std::span<const std::uint8_t> block,
                                               scan::marking::MatchRule rule) {
    for (std::optional<std::uint32_t> h = PairByteByByte(block); h.has_value();
         h = PairByteByByte(block, *h + 2)) {
        std::int64_t q = static_cast<std::int64_t>(*h) - 2;
        while (q >= 0 && scan::marking::IsFiller(UnitAt(block, q), rule)) {
            q -= 2;
        }
        if (q >= 0 && scan::marking::IsLead(UnitAt(block, q))) {
            return h;
        }
    }
    return std::nullopt;
}

scan::MarkingVerdict VerdictByteByByte(std::span<const std::uint8_t> stream,
                                       scan::marking::MatchRule rule) {
    if (stream.size() <= scan::marking::kVersionByteOffset ||
        !scan::marking::IsAcceptedVersion(stream[scan::marking::kVersionByteOffset])) {
        return scan::MarkingVerdict::NotExamined;
    }
    if (MarkingByteByByte(stream, rule).has_value()) {
        return scan::MarkingVerdict::Marked;
    }
    // Unmarked as far as the bytes go, but a password hides the text: fEncrypted, the lowest bit
    // of byte 11.
    const bool encrypted = stream.size() >= 12 && (stream[11] & 0x01) != 0;
    return encrypted ? scan::MarkingVerdict::NotExamined : scan::MarkingVerdict::NotMarked;
}

}  // namespace kalvor::reference
