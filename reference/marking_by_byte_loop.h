#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "scan/marking_rule.h"
#include "scan/marking_verdict.h"

// The marking search as first designed, one byte position after another: the yardstick the tests,
// the fuzzer and the benchmarks hold the fast search to.
namespace kalvor::reference {

// The first position p, from `from` to length - 3, where 密 lies in UTF-16LE (the pair 0xC6
// 0x5B).
std::optional<std::uint32_t> PairByteByByte(std::span<const std::uint8_t> block,
                                            std::int64_t from = 0);

// A pair, the skip back over fillers, the lead test, and after each rejected pair h the search
// again from h + 2. The position of the first pair that ends a marking.
std::optional<std::uint32_t> MarkingByteByByte(
    std::span<const std::uint8_t> block,
    scan::marking::MatchRule rule = scan::marking::MatchRule::Default);

// The version gate, then the search above: NotExamined for a stream too short for its version
// byte or of another version, and for an unmarked one whose text a password hides.
scan::MarkingVerdict VerdictByteByByte(
    std::span<const std::uint8_t> stream,
    scan::marking::MatchRule rule = scan::marking::MatchRule::Default);

}  // namespace kalvor::reference
