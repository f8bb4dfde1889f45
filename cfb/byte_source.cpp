#include "cfb/byte_source.h"

#include <algorithm>
#include <cstring>

namespace kalvor::cfb {

std::size_t MemoryByteSource::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (offset >= bytes_.size()) {
        return 0;
    }
    const std::size_t count = std::min<std::uint64_t>(out.size(), bytes_.size() - offset);
    std::memcpy(out.data(), bytes_.data() + offset, count);
    return count;
}

std::span<const std::uint8_t> MemoryByteSource::Held(std::uint64_t offset,
                                                     std::size_t length) const {
    if (offset > bytes_.size() || length > bytes_.size() - offset) {
        return {};
    }
    return bytes_.subspan(offset, length);
}

}  // namespace kalvor::cfb
