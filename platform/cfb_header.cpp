#include "platform/cfb_header.h"

#include <algorithm>

namespace kalvor::platform::cfb {
namespace {

constexpr std::uint8_t kSignature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::uint16_t kLittleEndianMark = 0xFFFE;
constexpr std::uint16_t kMiniSectorShift = 6;

std::uint16_t SectorShiftOf(std::uint16_t majorVersion) {
    return majorVersion == 3 ? 9 : majorVersion == 4 ? 12 : 0;
}

}  // namespace

std::optional<Header> ParseHeader(std::span<const std::uint8_t, kHeaderSize> bytes) {
    if (!std::equal(std::begin(kSignature), std::end(kSignature), bytes.begin())) {
        return std::nullopt;
    }
    Header header;
    header.majorVersion = Le16(bytes, 0x1A);
    const std::uint16_t sectorShift = Le16(bytes, 0x1E);
    if (Le16(bytes, 0x1C) != kLittleEndianMark || sectorShift == 0 ||
        sectorShift != SectorShiftOf(header.majorVersion) ||
        Le16(bytes, 0x20) != kMiniSectorShift) {
        return std::nullopt;
    }
    header.sectorSize = std::uint32_t{1} << sectorShift;
    header.fatSectorCount = Le32(bytes, 0x2C);
    header.firstDirectorySector = Le32(bytes, 0x30);
    header.firstMiniFatSector = Le32(bytes, 0x3C);
    header.miniFatSectorCount = Le32(bytes, 0x40);
    header.firstDifatSector = Le32(bytes, 0x44);
    for (std::uint32_t i = 0; i < kHeaderFatSectorIds; ++i) {
        header.fatSectorIds[i] = Le32(bytes, 0x4C + 4 * i);
    }
    return header;
}

}  // namespace kalvor::platform::cfb
