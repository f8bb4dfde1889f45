#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cfb/layout.h"

namespace kalvor::testing {

// Writes valid compound files with chosen streams and bytes, so tests need no binary fixtures.
struct CompoundStream {
    std::u16string name;
    std::vector<std::uint8_t> data;
};

// A storage below the root, holding streams of its own.
struct CompoundStorage {
    std::u16string name;
    std::vector<CompoundStream> streams;
};

struct CompoundFileSpec {
    int majorVersion = 3;  // 3: 512-byte sectors; 4: 4096-byte sectors
    std::vector<CompoundStream> rootStreams = {};
    std::vector<CompoundStorage> rootStorages = {};
    // More FAT sectors than the file needs (the extra entries free): more than 109 makes the
    // header's FAT list overflow into DIFAT sectors without writing a file of many megabytes.
    std::uint32_t minimumFatSectors = 0;
    // Chains run backwards through their sectors (and mini sectors), so no two neighbours in a
    // chain are neighbours in the file.
    bool reverseChains = false;
};

// Where the builder put things, so tests can corrupt a file at known places.
struct CompoundFileLayout {
    struct PlacedStream {
        std::u16string name;
        std::uint32_t directoryEntry = 0;
        bool inMiniStream = false;
        std::vector<std::uint32_t> chain;  // sector ids, or mini sector ids when inMiniStream
    };

    std::uint32_t sectorSize = 0;
    std::vector<std::uint32_t> fatSectors;
    std::vector<std::uint32_t> difatSectors;
    std::vector<std::uint32_t> directorySectors;
    std::vector<std::uint32_t> miniFatSectors;
    std::vector<std::uint32_t> miniStreamSectors;
    std::vector<std::uint32_t> storageEntries;  // directory entries of rootStorages, in order
    std::vector<PlacedStream> streams;          // root streams, then each storage's streams

    std::uint64_t SectorOffset(std::uint32_t sector) const;
    // Where the FAT holds the successor of `sector`.
    std::uint64_t FatEntryOffset(std::uint32_t sector) const;
    std::uint64_t MiniFatEntryOffset(std::uint32_t miniSector) const;
    std::uint64_t DirectoryEntryOffset(std::uint32_t entry) const;
    // The first placed stream of that name (exact match); throws when there is none.
    const PlacedStream& Stream(std::u16string_view name) const;
};

// Byte offsets of the header fields and directory-entry fields that corruption tests patch.
namespace cfb_field {
inline constexpr std::uint64_t kHeaderMajorVersion = offsetof(cfb::RawHeader, majorVersion);
inline constexpr std::uint64_t kHeaderByteOrder = offsetof(cfb::RawHeader, byteOrder);
inline constexpr std::uint64_t kHeaderSectorShift = offsetof(cfb::RawHeader, sectorShift);
inline constexpr std::uint64_t kHeaderMiniSectorShift = offsetof(cfb::RawHeader, miniSectorShift);
inline constexpr std::uint64_t kHeaderFatSectorCount = offsetof(cfb::RawHeader, fatSectorCount);
inline constexpr std::uint64_t kHeaderFirstDirectorySector =
    offsetof(cfb::RawHeader, firstDirectorySector);
inline constexpr std::uint64_t kHeaderFirstMiniFatSector =
    offsetof(cfb::RawHeader, firstMiniFatSector);
inline constexpr std::uint64_t kHeaderFirstDifatSector = offsetof(cfb::RawHeader, firstDifatSector);
inline constexpr std::uint64_t kHeaderDifatSectorCount = offsetof(cfb::RawHeader, difatSectorCount);
inline constexpr std::uint64_t kHeaderDifat = offsetof(cfb::RawHeader, fatSectorIds);
inline constexpr std::uint64_t kEntryNameLength = offsetof(cfb::RawEntry, nameBytes);
inline constexpr std::uint64_t kEntryType = offsetof(cfb::RawEntry, type);
inline constexpr std::uint64_t kEntryLeft = offsetof(cfb::RawEntry, left);
inline constexpr std::uint64_t kEntryRight = offsetof(cfb::RawEntry, right);
inline constexpr std::uint64_t kEntryChild = offsetof(cfb::RawEntry, child);
inline constexpr std::uint64_t kEntryStartSector = offsetof(cfb::RawEntry, startSector);
inline constexpr std::uint64_t kEntrySize = offsetof(cfb::RawEntry, size);
}  // namespace cfb_field

struct BuiltCompoundFile {
    std::vector<std::uint8_t> bytes;
    CompoundFileLayout layout;
};

BuiltCompoundFile BuildCompoundFileWithLayout(const CompoundFileSpec& spec);
std::vector<std::uint8_t> BuildCompoundFile(const CompoundFileSpec& spec);

// A compound file whose root storage holds one "WordDocument" stream with these bytes.
std::vector<std::uint8_t> BuildWordDocument(const std::vector<std::uint8_t>& wordDocumentStream,
                                            int majorVersion = 3);

// Little-endian access to a built file, for patching and checking it.
void PutLe32(std::vector<std::uint8_t>& bytes, std::uint64_t offset, std::uint32_t value);
std::uint32_t GetLe32(const std::vector<std::uint8_t>& bytes, std::uint64_t offset);

}  // namespace kalvor::testing
