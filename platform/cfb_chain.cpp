#include "platform/cfb_chain.h"

#include <algorithm>

namespace kalvor::platform::cfb {

std::vector<std::uint32_t> FollowChain(std::span<const std::uint32_t> table, std::uint32_t start,
                                       std::uint32_t bound, std::uint64_t limit) {
    const std::uint32_t end =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(bound, table.size()));
    std::vector<bool> seen(end);
    std::vector<std::uint32_t> chain;
    for (std::uint32_t id = start; chain.size() < limit && id < end && !seen[id]; id = table[id]) {
        seen[id] = true;
        chain.push_back(id);
    }
    return chain;
}

}  // namespace kalvor::platform::cfb
