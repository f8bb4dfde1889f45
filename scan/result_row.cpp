#include "scan/result_row.h"

#include <utility>

namespace kalvor::scan {

ResultRow MakeResultRow(FoundDocument document, Examination examination) {
    const platform::DirectoryEntry& entry = document.entry;
    const platform::FileIdentity identity =
        entry.identity != platform::FileIdentity{}
            ? entry.identity
            : examination.fileIdentity.value_or(platform::FileIdentity{});
    return {.path = std::move(document.path),
            .size = entry.size,
            .creationTime = entry.creationTime,
            .lastWriteTime = entry.lastWriteTime,
            .fingerprint = {.identity = identity,
                            .size = entry.size,
                            .lastWriteTime = entry.lastWriteTime},
            .folderIdentity = examination.folderIdentity,
            .evidence = std::move(examination.evidence),
            .access = examination.access};
}

}  // namespace kalvor::scan
