#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace kalvor::platform::cfb {

// The ids of the chain that starts at `start`, in chain order, with `table` giving each id's
// successor. The chain ends at the end marker, at an id outside [0, bound) or the table, at an
// id it already holds (a cycle), or after `limit` ids, whichever comes first.
std::vector<std::uint32_t> FollowChain(std::span<const std::uint32_t> table, std::uint32_t start,
                                       std::uint32_t bound, std::uint64_t limit);

}  // namespace kalvor::platform::cfb
