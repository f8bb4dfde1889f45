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
// reader leaves them; but a size this far beyond what the chain holds is no damaged document, only
// a demand for memory (a few bytes of a file can claim 2 GiB).
inline constexpr std::uint64_t kMostUnheldBytes = 16 << 20;

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
