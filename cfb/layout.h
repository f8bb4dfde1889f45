#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

// The on-disk layout of the Compound File Binary format: its constants, and its header and
// directory entry as structs of named little-endian fields. The reader, the test builder and the
// tests all read and write the format through these, so no offset is written twice.
namespace kalvor::cfb {

// An unsigned integer stored little-endian at any alignment, whatever the machine's byte order.
template <typename T>
class LittleEndian {
  public:
    constexpr T Value() const {
        T value = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            value |= static_cast<T>(T{bytes_[i]} << (8 * i));
        }
        return value;
    }

    constexpr void Set(T value) {
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            bytes_[i] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    }

  private:
    std::array<std::uint8_t, sizeof(T)> bytes_{};
};

using ulittle16_t = LittleEndian<std::uint16_t>;
using ulittle32_t = LittleEndian<std::uint32_t>;
using ulittle64_t = LittleEndian<std::uint64_t>;

// A record of the format read from `bytes` at `offset`, which must hold all of it.
template <typename Record>
Record LoadRecord(std::span<const std::uint8_t> bytes, std::size_t offset) {
    Record record;
    std::memcpy(&record, bytes.data() + offset, sizeof(Record));
    return record;
}

// The memory of `records`, to read them from a file.
template <typename Record>
std::span<std::uint8_t> BytesOf(std::span<Record> records) {
    return {reinterpret_cast<std::uint8_t*>(records.data()), records.size_bytes()};
}

inline constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
inline constexpr std::uint32_t kDifatSectorMark = 0xFFFFFFFC;
inline constexpr std::uint32_t kFatSectorMark = 0xFFFFFFFD;
inline constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
inline constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
inline constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;

inline constexpr std::array<std::uint8_t, 8> kSignature = {0xD0, 0xCF, 0x11, 0xE0,
                                                           0xA1, 0xB1, 0x1A, 0xE1};
inline constexpr std::uint16_t kMinorVersion = 0x003E;
inline constexpr std::uint16_t kLittleEndianMark = 0xFFFE;
inline constexpr std::uint16_t kMiniSectorShift = 6;

inline constexpr std::size_t kHeaderSize = 512;
inline constexpr std::uint32_t kHeaderFatSectorIds = 109;
inline constexpr std::uint32_t kMiniSectorSize = 64;
inline constexpr std::uint64_t kMiniStreamCutoff = 4096;
inline constexpr std::uint32_t kEntrySize = 128;
inline constexpr std::size_t kEntryNameUnits = 32;  // the terminator included

// The sector shift a file of `majorVersion` must have: 512-byte sectors in version 3, 4096-byte
// sectors in version 4; 0 for any other version.
constexpr std::uint16_t SectorShiftOf(std::uint16_t majorVersion) {
    return majorVersion == 3 ? 9 : majorVersion == 4 ? 12 : 0;
}

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
inline constexpr std::uint8_t kBlackNode = 1;

// The first kHeaderSize bytes of a compound file.
struct RawHeader {
    std::array<std::uint8_t, 8> signature;
    std::array<std::uint8_t, 16> classId;
    ulittle16_t minorVersion;
    ulittle16_t majorVersion;
    ulittle16_t byteOrder;
    ulittle16_t sectorShift;
    ulittle16_t miniSectorShift;
    std::array<std::uint8_t, 6> reserved;
    ulittle32_t directorySectorCount;  // 0 in version 3
    ulittle32_t fatSectorCount;
    ulittle32_t firstDirectorySector;
    ulittle32_t transactionSignature;
    ulittle32_t miniStreamCutoff;
    ulittle32_t firstMiniFatSector;
    ulittle32_t miniFatSectorCount;
    ulittle32_t firstDifatSector;
    ulittle32_t difatSectorCount;
    std::array<ulittle32_t, kHeaderFatSectorIds> fatSectorIds;
};

// One kEntrySize-byte entry of the directory stream.
struct RawEntry {
    std::array<ulittle16_t, kEntryNameUnits> name;
    ulittle16_t nameBytes;  // the terminator included
    std::uint8_t type;
    std::uint8_t color;
    ulittle32_t left;
    ulittle32_t right;
    ulittle32_t child;
    std::array<std::uint8_t, 16> classId;
    ulittle32_t stateBits;
    ulittle64_t creationTime;
    ulittle64_t modifiedTime;
    ulittle32_t startSector;
    ulittle64_t size;  // all 64 bits, whatever the version
};

static_assert(sizeof(RawHeader) == kHeaderSize && offsetof(RawHeader, fatSectorIds) == 0x4C);
static_assert(sizeof(RawEntry) == kEntrySize && offsetof(RawEntry, size) == 0x78);

}  // namespace kalvor::cfb
