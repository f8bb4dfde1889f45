#include "cfb/header.h"

namespace kalvor::cfb {

ParsedHeader ParseHeader(const RawHeader& raw) {
    if (raw.signature != kSignature) {
        return {.header = {}, .failure = NotCompoundReason::NoSignature};
    }
    const std::uint16_t majorVersion = raw.majorVersion.Value();
    const std::uint16_t sectorShift = raw.sectorShift.Value();
    if (raw.byteOrder.Value() != kLittleEndianMark || sectorShift == 0 ||
        sectorShift != SectorShiftOf(majorVersion) ||
        raw.miniSectorShift.Value() != kMiniSectorShift) {
        return {.header = {}, .failure = NotCompoundReason::BadHeader};
    }
    ParsedHeader parsed;
    Header& header = parsed.header;
    header.majorVersion = majorVersion;
    header.sectorSize = std::uint32_t{1} << sectorShift;
    header.fatSectorCount = raw.fatSectorCount.Value();
    header.firstDirectorySector = raw.firstDirectorySector.Value();
    header.firstMiniFatSector = raw.firstMiniFatSector.Value();
    header.miniFatSectorCount = raw.miniFatSectorCount.Value();
    header.firstDifatSector = raw.firstDifatSector.Value();
    for (std::uint32_t i = 0; i < kHeaderFatSectorIds; ++i) {
        header.fatSectorIds[i] = raw.fatSectorIds[i].Value();
    }
    return parsed;
}

}  // namespace kalvor::cfb
