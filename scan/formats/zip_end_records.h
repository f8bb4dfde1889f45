#pragma once

#include <cstdint>
#include <optional>

#include "cfb/byte_source.h"
#include "scan/not_examined_reason.h"

namespace kalvor::scan {

// The largest central directory a package may have: libzip keeps its entries in memory at a few
// hundred bytes each. Word writes well under a thousand entries; this allows tens of thousands.
inline constexpr std::uint64_t kMaxCentralDirectory = 4ull * 1024 * 1024;

// What the end records of a ZIP file claim for its central directory, as far as it can be believed.
struct EndRecords {
    // Nothing when libzip may open the file; otherwise why not.
    std::optional<NotExaminedReason> refusal;
    // The largest directory an end record claims, up to kMaxCentralDirectory and the file's size.
    std::uint64_t directoryBytes = 0;
};

// Checks the end records of the ZIP file in `file` against what the file holds, before libzip
// sizes its table of entries by what they claim: libzip believes the count of entries a ZIP64 end
// record gives, so a few bytes could ask it for gigabytes. A plain end record counts at most
// 65 535 entries and is left to libzip.
//
// The refusal is Damaged when a ZIP64 end record lies outside the file or claims more
// entries than its directory has room for, or a directory that does not end before the record;
// TooLarge when that directory is larger than kMaxCentralDirectory; Unreadable when the end
// of the file cannot be read.
EndRecords CheckEndRecords(cfb::ByteSource& file);

}  // namespace kalvor::scan
