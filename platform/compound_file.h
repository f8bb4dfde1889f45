#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/byte_source.h"

namespace kalvor::platform {

enum class StreamReadResult {
    Read,               // the image holds the stream (zero-filled where its chain fell short)
    NotCompoundFile,    // no valid header, FAT or directory
    StreamNotFound,     // the root storage holds no stream of that name
    StreamTooLarge,     // the stream claims more bytes than the file can back, or 2 GiB or more
    StructureTooLarge,  // a FAT, DIFAT, directory or mini FAT beyond any real document's, or
                        // beyond what the file takes on disk
};

// Reads the whole stream `name` of the root storage of the compound file in `file` into `image`,
// which is resized to the stream's size (its low 32 bits in version 3 files). Names are compared
// the way the format compares them (case-insensitively). Never trusts the file: a broken or
// cyclic sector chain ends the read there and leaves the rest of the image zero, the way a short
// read of the platform's storage layer does. On any result but Read the image is left empty.
StreamReadResult ReadRootStream(ByteSource& file, std::u16string_view name,
                                std::vector<std::uint8_t>& image);

// Reads one stream after another, each from its own compound file, reusing its memory: once grown
// to fit the largest file met, a read allocates nothing. The file is read through windows, so a
// small file costs one read, and a stream that lies in one run of a window is used where it lies.
class RootStreamReader {
  public:
    RootStreamReader();
    ~RootStreamReader();
    RootStreamReader(const RootStreamReader&) = delete;
    RootStreamReader& operator=(const RootStreamReader&) = delete;

    // As ReadRootStream; on Read `image` holds the stream until the next call.
    StreamReadResult Read(ByteSource& file, std::u16string_view name,
                          std::span<const std::uint8_t>& image);

    // Gives the memory back when it has grown past `bytes`, so one huge file does not pin its
    // memory for all the files after it.
    void ReleaseMemoryAbove(std::size_t bytes);

  private:
    struct Buffers;
    std::unique_ptr<Buffers> buffers_;
};

// One stream met on a walk through the whole storage tree.
struct StoredStream {
    std::span<const std::u16string> path;  // the storages from the root down, then the stream
    StreamReadResult result;               // Read, or StreamTooLarge / StructureTooLarge, no bytes
    std::span<const std::uint8_t> bytes;   // valid only during the visit
};

// Reads every stream of every storage reachable from the root, each directory entry once, and
// hands each to `visit`. Returns NotCompoundFile or StructureTooLarge (visiting nothing), or Read.
StreamReadResult ForEachStream(ByteSource& file,
                               const std::function<void(const StoredStream&)>& visit);

}  // namespace kalvor::platform
