#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/cfb_format.h"

namespace kalvor::platform::cfb {

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

// The header of a compound file from its first kHeaderSize bytes, or nothing when the
// signature, byte order, version or sector sizes are not the format's.
std::optional<Header> ParseHeader(std::span<const std::uint8_t, kHeaderSize> bytes);

}  // namespace kalvor::platform::cfb
