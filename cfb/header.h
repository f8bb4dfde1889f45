#pragma once

#include <array>
#include <cstdint>

#include "cfb/layout.h"
#include "cfb/stream_read.h"

namespace kalvor::cfb {

// The header fields the reader works with, checked and decoded.
struct Header {
    std::uint16_t majorVersion = 0;
    std::uint32_t sectorSize = 0;
    std::uint32_t fatSectorCount = 0;
    std::uint32_t firstDirectorySector = 0;
    std::uint32_t firstMiniFatSector = 0;
    std::uint32_t miniFatSectorCount = 0;
    std::uint32_t firstDifatSector = 0;
    std::array<std::uint32_t, kHeaderFatSectorIds> fatSectorIds{};

    // Version 3 files keep only the low 32 bits of a size; the high half may hold anything.
    std::uint64_t EntrySize(std::uint64_t recorded) const {
        return majorVersion == 3 ? recorded & 0xFFFFFFFF : recorded;
    }
};

struct ParsedHeader {
    Header header;
    NotCompoundReason failure = NotCompoundReason::None;  // None when `header` is the file's
};

// The header of a compound file, refused (NoSignature, BadHeader) when its signature, byte order,
// version or sector sizes are not the format's.
ParsedHeader ParseHeader(const RawHeader& raw);

}  // namespace kalvor::cfb
