#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "cfb/byte_buffer.h"
#include "cfb/charged_memory.h"
#include "cfb/stream_read.h"

namespace kalvor::cfb {

class Reader;

// A stream given in order a chunk at a time, for a caller that needs little of a chunk once it
// has the next: a search, which so holds the same few hundred kilobytes however large the stream,
// memory it keeps from one stream to the next instead of megabytes the system must find anew. The
// bytes are those a whole read gives, zero where the sector chain falls short or a read came up
// short.
class StreamChunks {
  public:
    static constexpr std::size_t kChunkBytes = 256 << 10;

    // No stream.
    StreamChunks() = default;
    // A stream already in memory, given as one chunk.
    explicit StreamChunks(std::span<const std::uint8_t> whole)
        : whole_(whole), size_(whole.size()) {}
    // The stream of `size` bytes whose sectors `reader` last chained, read into `room`, which
    // is charged through `memory` for the whole stream all the same: whether a document can be
    // examined must not depend on how its stream is read, and a listed document's evidence needs
    // it whole.
    StreamChunks(Reader& reader, std::uint32_t entry, std::uint64_t size, ByteBuffer& room,
                 MemoryHook& memory, std::size_t chunkBytes = kChunkBytes);

    std::uint64_t Size() const { return size_; }

    // The most bytes of a chunk Next keeps in front of the next one.
    std::size_t MostKept() const { return chunkBytes_ / 4; }

    // The next chunk, behind the last `keep` bytes of the chunk before it (at most MostKept());
    // empty once the whole stream was given.
    std::span<const std::uint8_t> Next(std::size_t keep);

    // Whether the whole stream was given.
    bool Done() const { return given_ == size_; }

    // The whole stream in memory, for a caller that finds it needs it after all: read anew from
    // its start through the same opened file, its tables and windows. No chunk follows it.
    StreamView Whole();

  private:
    std::span<const std::uint8_t> whole_;
    Reader* reader_ = nullptr;
    std::uint32_t entry_ = 0;
    std::uint64_t size_ = 0;
    std::uint64_t given_ = 0;
    std::size_t chunkBytes_ = kChunkBytes;
    std::span<std::uint8_t> room_;
    std::size_t last_ = 0;  // bytes of the chunk given last
    bool ended_ = false;    // the chain ended or a read came up short: the rest is zero
    MemoryCharge charge_{UnchargedMemory()};
};

}  // namespace kalvor::cfb
