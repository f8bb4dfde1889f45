#include "cfb/chain.h"

#include <algorithm>

namespace kalvor::cfb {

void FollowChain(std::span<const std::uint32_t> table, std::uint32_t start, std::uint32_t bound,
                 std::uint64_t limit, ChargedVector<bool>& seen,
                 ChargedVector<std::uint32_t>& chain) {
    const std::uint32_t end =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(bound, table.size()));
    seen.assign(end, false);
    chain.clear();
    for (std::uint32_t id = start; chain.size() < limit && id < end && !seen[id]; id = table[id]) {
        seen[id] = true;
        chain.push_back(id);
    }
}

bool IsOneRun(std::span<const std::uint32_t> chain) {
    for (std::size_t i = 1; i < chain.size(); ++i) {
        if (chain[i] != chain[i - 1] + 1) {
            return false;
        }
    }
    return true;
}

}  // namespace kalvor::cfb
