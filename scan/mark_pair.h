#pragma once

#include <cstdint>
#include <optional>

#include "scan/marking_rule.h"

namespace kalvor::scan {

// The first position p with 0 <= p <= length - 3 where block[p] == 0xC6 and block[p + 1] == 0x5B
// (密 in UTF-16LE), at any alignment. The stream's last two bytes are never a candidate. Nothing
// when length - 2, taken as a signed 32-bit value, is 0 or less.
std::optional<std::uint32_t> FindMarkPair(const std::uint8_t* block, std::uint32_t length);

// Whether the pair at `hit` ends a marking: the unit in front of it, after any spaces or tabs, is
// 秘, 机 or 绝. Never looks in front of the block.
bool IsMarkingAt(const std::uint8_t* block, std::uint32_t hit,
                 marking::MatchRule rule = marking::MatchRule::Default);

// Where the marking whose 密 is the pair at `hit` begins: the offset of its lead, in front of
// the spaces or tabs `rule` accepts; nothing when the pair ends no marking.
std::optional<std::uint32_t> MarkingLeadAt(const std::uint8_t* block, std::uint32_t hit,
                                           marking::MatchRule rule);

// The first pair that ends a marking, of the pairs FindMarkPair reaches when, after each rejected
// pair h, it searches again from h + 2: all pairs from position 0 to length - 3, in order (a pair
// never starts at h + 1). Found in one pass, without starting the search anew after each pair.
std::optional<std::uint32_t> FindMarking(const std::uint8_t* block, std::uint32_t length);

// As FindMarking, with the fillers `rule` accepts. The wider rule lets through pairs the kernels'
// front filter drops, so it weighs every pair FindMarkPair reaches; 密 is rare enough for that.
std::optional<std::uint32_t> FindMarking(const std::uint8_t* block, std::uint32_t length,
                                         marking::MatchRule rule);

// The first pair at `from` or after that ends a marking, as FindMarking reaches them, looking in
// front of `from` for its lead: after a marking at h, the next is found from h + 2.
std::optional<std::uint32_t> FindMarkingFrom(const std::uint8_t* block, std::uint32_t length,
                                             std::uint32_t from, marking::MatchRule rule);

// Where the bytes begin that a search of what follows `block` still needs of it: the unit in
// front of the last run of fillers `rule` accepts at each alignment, where a marking whose 密
// comes later would find its lead, and the last two bytes, a pair not yet searched. 0 when such a
// run reaches the start of the block.
std::uint32_t LookBackStart(const std::uint8_t* block, std::uint32_t length,
                            marking::MatchRule rule);

}  // namespace kalvor::scan
