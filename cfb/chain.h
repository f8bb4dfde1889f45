#pragma once

#include <cstdint>
#include <span>

#include "cfb/charged_memory.h"

namespace kalvor::cfb {

// Sets `chain` to the ids of the chain that starts at `start`, in chain order, with `table`
// giving each id's successor. The chain ends at the end marker, at an id outside [0, bound) or
// the table, at an id it already holds (a cycle), or after `limit` ids, whichever comes first.
// `seen` is working memory, kept by the caller so that following chain after chain allocates
// nothing.
void FollowChain(std::span<const std::uint32_t> table, std::uint32_t start, std::uint32_t bound,
                 std::uint64_t limit, ChargedVector<bool>& seen,
                 ChargedVector<std::uint32_t>& chain);

// Whether the ids follow one another (n, n + 1, n + 2, ...), so the sectors lie in one run.
bool IsOneRun(std::span<const std::uint32_t> chain);

}  // namespace kalvor::cfb
