#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "cfb/byte_buffer.h"
#include "cfb/byte_source.h"
#include "cfb/charged_memory.h"
#include "cfb/directory.h"
#include "cfb/header.h"
#include "cfb/layout.h"
#include "cfb/memory_hook.h"
#include "cfb/stream_chunks.h"
#include "cfb/stream_read.h"

namespace kalvor::cfb {

// Memory a reader keeps from one file to the next: once it has grown to fit the largest file
// met, reading another allocates nothing. All of it is charged through `memory`.
struct ReaderBuffers {
    explicit ReaderBuffers(MemoryHook& memory)
        : memory(&memory),
          fatSectors(memory),
          fat(memory),
          difatSector(memory),
          directory(memory),
          miniFat(memory),
          miniStreamSectors(memory),
          chain(memory),
          pending(memory),
          seen(memory),
          image(memory),
          chunks(memory) {}

    MemoryHook* memory;
    ChargedVector<std::uint32_t> fatSectors;
    ChargedVector<std::uint32_t> fat;
    ChargedVector<ulittle32_t> difatSector;
    ChargedVector<std::uint8_t> directory;
    ChargedVector<std::uint32_t> miniFat;
    ChargedVector<std::uint32_t> miniStreamSectors;
    ChargedVector<std::uint32_t> chain;
    ChargedVector<std::uint32_t> pending;
    ChargedVector<bool> seen;
    ByteBuffer image;
    ByteBuffer chunks;

    std::size_t MemoryHeld() const;
};

// A reader of a file, or why the file cannot be read as a compound file.
struct OpenedReader;

// An opened compound file: header, FAT and directory loaded and checked; the mini stream's
// tables loaded on first need. Everything it reads goes into `buffers`.
class Reader {
  public:
    // No reader when the file has no valid header, FAT or directory (NotCompoundFile, with the
    // detail), or when they are larger than the reader holds (StructureTooLarge).
    static OpenedReader Open(ByteSource& file, ReaderBuffers& buffers);

    std::optional<std::uint32_t> FindRootStream(std::u16string_view name);

    // On Read, the image holds the stream until the next read: where the file already holds the
    // stream's bytes in memory, those; otherwise the buffers' image.
    StreamView ReadStream(std::uint32_t entry);

    // The stream a chunk at a time (StreamChunks) of `chunkBytes`, into the buffers' memory for
    // chunks; a stream the file already holds in memory, or one in the mini stream, as one chunk.
    // Refused as ReadStream refuses it. The chunks last until the next read.
    StreamRead<StreamChunks> ReadStreamInChunks(std::uint32_t entry,
                                                std::size_t chunkBytes = StreamChunks::kChunkBytes);

    void ForEachStream(const std::function<void(const StoredStream&)>& visit);

  private:
    friend class StreamChunks;

    Reader(ByteSource& file, ReaderBuffers& buffers, const Header& header);

    // Each gives Read when loaded, or why not.
    ReadStatus LoadFat();
    ReadStatus LoadDifat(std::uint32_t kept);
    ReadStatus LoadDirectory();
    StreamReadResult LoadMiniStream();

    // Whether memory of `bytes`, read from sectors holding `held` of them, is backed by the file:
    // what holes and a short chain leave to be zero-filled must stay small.
    bool Backs(std::uint64_t bytes, std::uint64_t held) const;
    bool Backs(std::uint64_t bytes) const { return Backs(bytes, bytes); }

    std::uint64_t SectorOffset(std::uint32_t sector) const;
    void FollowChain(std::span<const std::uint32_t> table, std::uint32_t start, std::uint32_t bound,
                     std::uint64_t limit, ChargedVector<std::uint32_t>& chain);
    // Reads what `sectors` hold one after another, from `offset` on, into `out`; how many bytes
    // came before the sectors ran out or a read came up short.
    std::size_t ReadSectors(std::span<const std::uint32_t> sectors, std::span<std::uint8_t> out,
                            std::uint64_t offset = 0);
    // The bytes from `offset` on of the stream in regular sectors last chained, as ReadSectors.
    std::size_t ReadStreamBytes(std::uint64_t offset, std::span<std::uint8_t> out) {
        return ReadSectors(buffers_->chain, out, offset);
    }
    // Whether a stream may claim `size` bytes: never more than the file could hold.
    bool MayHoldStream(std::uint64_t size) const;
    // Whether a stream of `size` bytes in regular sectors from `start` may be read: it is then
    // chained in buffers_->chain.
    bool ChainRegularStream(std::uint32_t start, std::uint64_t size);
    void ReadIdTable(std::span<const std::uint32_t> sectors, ChargedVector<std::uint32_t>& ids);
    std::size_t ReadMiniSectors(std::span<const std::uint32_t> miniSectors,
                                std::span<std::uint8_t> out);
    // The stream of `size` bytes in the sectors of buffers_.chain, where the file holds it in
    // memory as one run; empty otherwise.
    std::span<const std::uint8_t> HeldStream(std::uint64_t size) const;

    ByteSource* file_;
    ReaderBuffers* buffers_;
    Header header_;
    std::uint32_t sectorCount_ = 0;  // sectors that start inside the file
    std::uint64_t backed_ = 0;       // bytes the file takes on disk, at most its size
    Directory directory_{{}};
    std::optional<StreamReadResult> miniStreamLoaded_;
    std::uint32_t miniSectorCount_ = 0;
};

struct OpenedReader {
    std::optional<Reader> reader;
    ReadStatus status;  // Ok() exactly when there is a reader
};

}  // namespace kalvor::cfb
