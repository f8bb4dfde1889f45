#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// What reading a stream of a compound file gives, shared by the reader and its callers.
namespace kalvor::cfb {

enum class StreamReadResult {
    Read,               // the image holds the stream (zero-filled where its chain fell short)
    NotCompoundFile,    // no valid header, FAT or directory
    StreamNotFound,     // the root storage holds no stream of that name
    StreamTooLarge,     // the stream claims more bytes than the file can back, or 2 GiB or more
    StructureTooLarge,  // a FAT, DIFAT, directory or mini FAT beyond any real document's, or
                        // beyond what the file takes on disk
};

// Which part of a file showed that it is not a compound file.
enum class NotCompoundReason {
    None,
    ShorterThanHeader,  // the file ends before its header does
    NoSignature,        // the first eight bytes are not the format's
    BadHeader,          // byte order, version or sector sizes are not the format's
    FatOutsideFile,     // the header lists more FAT sectors, or ids of sectors, than the file has
    BrokenDifat,        // the chain of DIFAT sectors leaves the file, loops or cannot be read
    NoRootEntry,        // the directory is empty or does not start with the root storage
};

// The outcome of a read: Read, or why not.
struct ReadStatus {
    StreamReadResult result = StreamReadResult::Read;
    NotCompoundReason notCompound = NotCompoundReason::None;  // the detail of NotCompoundFile

    static constexpr ReadStatus NotCompound(NotCompoundReason why) {
        return {StreamReadResult::NotCompoundFile, why};
    }
    constexpr bool Ok() const { return result == StreamReadResult::Read; }
};

// A stream's bytes, or why there are none: `Image` is a view of memory the reader keeps until its
// next read, or a copy of the bytes.
template <typename Image>
struct StreamRead {
    ReadStatus status;
    Image image{};  // the stream when status.Ok(); empty otherwise
};

using StreamView = StreamRead<std::span<const std::uint8_t>>;
using StreamCopy = StreamRead<std::vector<std::uint8_t>>;

// One stream met on a walk through the whole storage tree.
struct StoredStream {
    std::span<const std::u16string> path;  // the storages from the root down, then the stream
    StreamReadResult result;               // Read, or StreamTooLarge / StructureTooLarge, no bytes
    std::span<const std::uint8_t> bytes;   // valid only during the visit
};

}  // namespace kalvor::cfb
