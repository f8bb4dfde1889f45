#include "cfb/stream_chunks.h"

#include <algorithm>
#include <cstring>

#include "cfb/reader.h"

namespace kalvor::cfb {

StreamChunks::StreamChunks(Reader& reader, std::uint32_t entry, std::uint64_t size,
                           ByteBuffer& room, MemoryHook& memory, std::size_t chunkBytes)
    : reader_(&reader), entry_(entry), size_(size), chunkBytes_(chunkBytes), charge_(memory) {
    charge_.Add(static_cast<std::size_t>(size));
    room_ =
        room.Take(static_cast<std::size_t>(std::min<std::uint64_t>(size, chunkBytes + MostKept())));
}

std::span<const std::uint8_t> StreamChunks::Next(std::size_t keep) {
    if (Done()) {
        return {};
    }
    if (reader_ == nullptr) {
        given_ = size_;
        return whole_;
    }
    keep = std::min({keep, last_, MostKept()});
    std::memmove(room_.data(), room_.data() + last_ - keep, keep);
    const auto fresh =
        static_cast<std::size_t>(std::min<std::uint64_t>(chunkBytes_, size_ - given_));
    const std::span<std::uint8_t> out = room_.subspan(keep, fresh);
    const std::size_t filled = ended_ ? 0 : reader_->ReadStreamBytes(given_, out);
    ended_ = filled < fresh;
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(filled), out.end(), 0);
    given_ += fresh;
    last_ = keep + fresh;
    return room_.first(last_);
}

StreamView StreamChunks::Whole() {
    given_ = size_;
    return reader_ == nullptr ? StreamView{.status = {}, .image = whole_}
                              : reader_->ReadStream(entry_);
}

}  // namespace kalvor::cfb
