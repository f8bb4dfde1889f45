#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Constants and little-endian field access of the Compound File Binary format.
namespace kalvor::platform::cfb {

inline constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
inline constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
inline constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
inline constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;

inline constexpr std::size_t kHeaderSize = 512;
inline constexpr std::uint32_t kHeaderFatSectorIds = 109;
inline constexpr std::uint32_t kMiniSectorSize = 64;
inline constexpr std::uint64_t kMiniStreamCutoff = 4096;
inline constexpr std::uint32_t kEntrySize = 128;
// Sizes are handled as signed 32-bit counts by the readers this one stands in for.
inline constexpr std::uint64_t kLargestStream = 0x7FFFFFFF;
// A stream whose sector chain ends early is read with zeros for the rest, as the platform's
// reader leaves them, and a file's holes read as zeros too; but a table or stream this far beyond
// what its chain holds, or what the file takes on disk, is no damaged document, only a demand for
// memory (a few blocks of a sparse file can claim terabytes).
inline constexpr std::uint64_t kMostUnheldBytes = 16 << 20;
// Fixed bounds on the tables a file can make the reader hold, far beyond any real document's.
// A directory of 131072 entries: a Word document holds a few dozen, a few thousand with
// thousands of embedded objects.
inline constexpr std::uint64_t kLargestDirectory = 16 << 20;
// A FAT describing the sectors of a file of 4 GiB (32 MiB of FAT with 512-byte sectors): a
// stream is read only below 2 GiB, and a file twice that leaves room for all its other streams.
inline constexpr std::uint64_t kLargestFile = std::uint64_t{4} << 30;
// The mini stream holds only streams below kMiniStreamCutoff, each with an entry of its own.
inline constexpr std::uint64_t kLargestMiniStream =
    kLargestDirectory / kEntrySize * kMiniStreamCutoff;

enum class EntryType : std::uint8_t { Unused = 0, Storage = 1, Stream = 2, Root = 5 };

inline std::uint16_t Le16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

inline std::uint32_t Le32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return std::uint32_t{Le16(bytes, offset)} | std::uint32_t{Le16(bytes, offset + 2)} << 16;
}

inline std::uint64_t Le64(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return std::uint64_t{Le32(bytes, offset)} | std::uint64_t{Le32(bytes, offset + 4)} << 32;
}

}  // namespace kalvor::platform::cfb
