#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "cfb/byte_source.h"
#include "cfb/memory_hook.h"
#include "cfb/stream_chunks.h"
#include "cfb/stream_read.h"

namespace kalvor::cfb {

// Reads the whole stream `name` of the root storage of the compound file in `file` into a copy
// made in `storage`'s memory, as long as the stream's size (its low 32 bits in version 3 files).
// Names are compared the way the format compares them (case-insensitively). Never trusts the file:
// a broken or cyclic sector chain ends the read there and leaves the rest of the image zero, the
// way a short read of the platform's storage layer does. On any status but Read the image is empty.
// The memory the read works in is charged through `memory`.
StreamCopy ReadRootStream(ByteSource& file, std::u16string_view name, MemoryHook& memory,
                          std::vector<std::uint8_t> storage = {});

// Reads one stream after another, each from its own compound file, reusing its memory: once grown
// to fit the largest file met, a read allocates nothing. The file is read through windows, so a
// small file costs one read, and a stream that lies in one run of a window is used where it lies.
// All its memory is charged through `memory`, which must outlive it.
class RootStreamReader {
  public:
    explicit RootStreamReader(MemoryHook& memory);
    ~RootStreamReader();
    RootStreamReader(const RootStreamReader&) = delete;
    RootStreamReader& operator=(const RootStreamReader&) = delete;

    // As ReadRootStream; the image lives until the next call.
    StreamView Read(ByteSource& file, std::u16string_view name);

    // As Read, a chunk at a time: `take` is handed the chunks (StreamChunks) of `chunkBytes`
    // when the stream can be read, and the status says why not otherwise.
    ReadStatus ReadInChunks(ByteSource& file, std::u16string_view name,
                            const std::function<void(StreamChunks&)>& take,
                            std::size_t chunkBytes = StreamChunks::kChunkBytes);

    // Whether the root storage of the compound file in `file` holds a stream `name`; reads its
    // directory, never the stream.
    bool Holds(ByteSource& file, std::u16string_view name);

    // Gives the memory back when it has grown past `bytes`, so one huge file does not pin its
    // memory for all the files after it.
    void ReleaseMemoryAbove(std::size_t bytes);

  private:
    struct Buffers;
    MemoryHook& memory_;
    std::unique_ptr<Buffers> buffers_;
};

// Reads every stream of every storage reachable from the root, each directory entry once, and
// hands each to `visit`. Returns NotCompoundFile or StructureTooLarge (visiting nothing), or Read.
// The memory the walk works in is charged through `memory`.
ReadStatus ForEachStream(ByteSource& file, MemoryHook& memory,
                         const std::function<void(const StoredStream&)>& visit);

}  // namespace kalvor::cfb
